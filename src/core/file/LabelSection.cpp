#include "core/file/SettingsSections.h"

#include "core/file/NetFileIO.h"

using namespace netfile;

int32_t LabelCodeForVersion(int32_t code, int version)
{
    if (version < 8 && code >= 108 && code <= 110) code = 0;
    if (version < 7 && (code == 106 || code == 107)) code = 0;
    if (version < 6) {
        if (code >= 11 && code <= 99)
            code = 10;
        else if (code > 100)
            code -= 90;
        // Code 100 (attribute 100) has no place below version 6; it falls to 10
        // like the other attributes that file cannot name, never to 190 on reading.
        else if (code == 100)
            code = 10;
    }
    return code;
}

int32_t LabelCodeFromVersion(int32_t code, int version)
{
    if (version < 6) {
        if (code >= 11 && code <= 20)
            code += 90;
        else if (code > 20)
            code = 10; // no older file names these; treat like the capped attributes
    }
    return code;
}

bool WriteLabelSettings(TFileContext& f, const TLabelSettings& l)
{
    GuardWrite(f, [&] {
        TTextWriter& w = *f.OutFile;
        const int v = f.WriteVersion;
        const int32_t linkPos = l.LinkPosition + (v >= 5 ? 100 * l.FirstLinkLabelLocation : 0);
        const int32_t first[8] = {l.NodePosition, linkPos, l.NodeLength, l.LinkLength,
                                  l.RotateLabels, l.Opaque, l.SuppressAll, l.RoundedNumbers};
        for (int i = 0; i < 8; ++i) {
            if (i) w.WriteChar(' ');
            w.WriteInt(first[i]);
        }
        w.WriteLn();
        if (v >= 6) {
            w.WriteInt(l.Precision);
            w.WriteLn();
        }
        for (int c = 0; c <= 10; ++c) {
            const int32_t row[6] = {l.NodeClassFont[c],
                                    l.LinkClassFont[c],
                                    LabelCodeForVersion(l.NodeLabelCodes[c][1], v),
                                    LabelCodeForVersion(l.NodeLabelCodes[c][2], v),
                                    LabelCodeForVersion(l.LinkLabelCodes[c][1], v),
                                    LabelCodeForVersion(l.LinkLabelCodes[c][2], v)};
            for (int i = 0; i < 6; ++i) {
                if (i) w.WriteChar(' ');
                w.WriteInt(row[i]);
            }
            w.WriteLn();
        }
        for (int k = 0; k < LabelFontSlotCount; ++k) {
            w.WriteLine(l.FontNames[k]);
            w.WriteInt(l.FontColors[k]);
            w.WriteLn();
        }
        for (int k = 0; k < LabelFontSlotCount; ++k) {
            const TLogFont& font = l.FontRecords[k];
            w.WriteLine(Cut(font.FaceName, 32));
            const int32_t row[5] = {font.Height, font.Weight, font.Italic, font.StrikeOut, font.Underline};
            for (int i = 0; i < 5; ++i) {
                if (i) w.WriteChar(' ');
                w.WriteInt(row[i]);
            }
            w.WriteLn();
        }
    });
    return f.ErrorCode == FileErrorNone;
}

bool ReadLabelSettings(TFileContext& f, TLabelSettings& l)
{
    GuardRead(f, [&] {
        TTextReader& r = *f.InFile;
        const int v = f.ReadVersion;
        // Places, lengths, the precision and the class font slots are kept as
        // read: the label texts and the drawing bring them into their ranges.
        l.NodePosition = r.ReadInt();
        const int32_t linkPos = r.ReadInt();
        l.LinkPosition = linkPos % 100;
        const int32_t location = linkPos / 100;
        if (location >= 0 && location <= 2) l.FirstLinkLabelLocation = static_cast<uint8_t>(location);
        l.NodeLength = r.ReadInt();
        l.LinkLength = r.ReadInt();
        l.RotateLabels = ReadByte(r);
        l.Opaque = ReadByte(r);
        l.SuppressAll = ReadByte(r);
        l.RoundedNumbers = ReadByte(r);
        r.ReadLn();
        if (v >= 6) {
            l.Precision = r.ReadInt();
            r.ReadLn();
        }
        for (int c = 0; c <= 10; ++c) {
            l.NodeClassFont[c] = r.ReadInt();
            l.LinkClassFont[c] = r.ReadInt();
            for (int i = 1; i <= 2; ++i) l.NodeLabelCodes[c][i] = LabelCodeFromVersion(ReadIntIn(r, 0, 110, "label code"), v);
            for (int i = 1; i <= 2; ++i) l.LinkLabelCodes[c][i] = LabelCodeFromVersion(ReadIntIn(r, 0, 110, "label code"), v);
            r.ReadLn();
        }
        for (int k = 0; k < LabelFontSlotCount; ++k) {
            l.FontNames[k] = r.ReadLine();
            l.FontColors[k] = r.ReadInt();
            r.ReadLn();
        }
        for (int k = 0; k < LabelFontSlotCount; ++k) {
            TLogFont& font = l.FontRecords[k];
            font.FaceName = r.ReadText(32);
            r.ReadLn();
            font.Height = r.ReadInt();
            font.Weight = r.ReadInt();
            font.Italic = ReadByte(r);
            font.StrikeOut = ReadByte(r);
            font.Underline = ReadByte(r);
            r.ReadLn();
        }
        l.UpdateClassLabelled();
    });
    return f.ErrorCode == FileErrorNone;
}
