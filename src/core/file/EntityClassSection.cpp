#include "core/file/EntityClassSection.h"

#include <algorithm>

namespace {

void UpperCaseInto(const std::string& from, std::string& to)
{
    to = from;
    for (char& c : to)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
}

[[noreturn]] void Refuse(TTextReader& in, const std::string& what)
{
    throw TFileReadError(what + " at line " + std::to_string(in.LineNumber()));
}

void ReadAttribute(TTextReader& in, int version, TAttrib& a)
{
    std::string alias;
    int topRow = 0;
    a.Name = in.ReadText(30);
    if (version == 1) {
        topRow = in.ReadInt();
        in.ReadChar();
        in.SkipChars(8);
        a.Form = in.ReadInt();
        a.Kind = 'R';
    } else {
        if (version >= 9)
            alias = in.ReadText(10);
        topRow = in.ReadInt();
        in.ReadChar();
        const char kind = in.ReadChar();
        a.Kind = IsAttributeKind(kind) ? kind : 'R';
        a.Form = in.ReadInt();
    }
    in.ReadChar();
    a.Description = in.ReadText(50);
    // Refused while the line is the attribute's, which the message names.
    if (topRow < 0)
        Refuse(in, "negative worksheet row count");
    if (topRow > MaxWorkSheetRow)
        Refuse(in, "worksheet row count above 10");
    in.ReadLn();
    TrimName30(a.Name);
    TrimName10(alias);
    a.Alias = alias;
    UpperCaseInto(alias, a.AliasKey);
    a.Low = 0;
    a.High = 0;
    a.Active = 0;
    a.WorkSheet.reset();
    a.TopRow = 0;

    if (topRow > 0) {
        auto sheet = std::make_unique<TWorkSheet>();
        ReadWorkSheetRows(in, version, *sheet, topRow);
        a.WorkSheet = std::move(sheet);
        a.TopRow = topRow;
    }
}

void ReadClassRecord(TTextReader& in, int version, TClassRecord& record, int index)
{
    std::string name = in.ReadText(30);
    std::string alias;
    if (version >= 9)
        alias = in.ReadText(10);
    int width = in.ReadInt();
    const int color = in.ReadInt();
    const int count = in.ReadInt();
    if (count < 0 || count > MaxAttributes)
        Refuse(in, "attribute count outside 0..100");
    in.ReadLn();

    if (width >= 1000) {
        width -= 1000;
        record.Arrow = 1;
    } else {
        record.Arrow = 0;
    }
    record.Width = width;
    record.Color = color;
    TrimName30(name);
    if (index >= 1)
        record.Name = name;
    TrimName10(alias);
    record.Alias = alias;

    if (version >= 8) {
        for (int i = 1; i <= 10; ++i) {
            const int slice = in.ReadInt();
            // A slice names an attribute 1..100; anything else shows nothing.
            record.PieSlices[i] = static_cast<uint8_t>(slice >= 0 && slice <= MaxAttributes ? slice : 0);
        }
        in.ReadLn();
    }

    for (auto& a : record.Attributes)
        a.reset();
    record.AttributeCount = 0;
    for (int i = 1; i <= count; ++i) {
        record.Attributes[i] = std::make_unique<TAttrib>();
        record.AttributeCount = i;
        ReadAttribute(in, version, *record.Attributes[i]);
    }
}

void WriteAttribute(TTextWriter& out, int version, const TAttrib& a)
{
    int topRow = std::clamp(a.TopRow, 0, MaxWorkSheetRow);
    const std::string_view description = std::string_view(a.Description).substr(0, std::min<std::size_t>(a.Description.size(), 50));
    if (version == 1) {
        out.WritePadded(a.Name, 30);
        out.WriteChar(' ');
        out.WriteInt(topRow);
        out.WriteChar(' ');
        out.WriteBlanks(8);
    } else {
        if (a.Kind == 'C' && topRow > 6 && version < 6)
            topRow = 6;
        char kind = IsAttributeKind(a.Kind) ? a.Kind : 'R';
        if (version <= 4 && (kind == 'D' || kind == 'I' || kind == 'T' || kind == 'X'))
            kind = 'R';
        if (version < 8 && kind == 'S')
            kind = 'R';
        out.WritePadded(a.Name, 30);
        if (version >= 9)
            out.WritePadded(a.Alias, 10);
        out.WriteChar(' ');
        out.WriteInt(topRow);
        out.WriteChar(' ');
        out.WriteChar(kind);
    }
    out.WriteChar(' ');
    out.WriteInt(a.Form);
    out.WriteChar(' ');
    out.WriteText(description);
    out.WriteLn();

    if (topRow <= 0)
        return;
    static const TWorkSheet emptySheet;
    const TWorkSheet& sheet = a.WorkSheet ? *a.WorkSheet : emptySheet;
    for (int r = 0; r <= topRow; ++r) {
        const TWorkSheetRow& row = sheet.Rows[r];
        out.WritePadded(row.Label, 30);
        out.WriteChar(' ');
        out.WriteReal(row.Low);
        out.WriteChar(' ');
        out.WriteReal(row.High);
        out.WriteChar(' ');
        if (version == 1)
            out.WriteBlanks(8);
        else
            out.WriteText(row.Codes);
        out.WriteLn();
        if (version >= 6)
            out.WriteLine(row.Hint);
    }
}

void WriteClassRecord(TTextWriter& out, int version, const TClassRecord& record)
{
    int width = record.Width;
    int color = record.Color;
    int count = std::clamp(record.AttributeCount, 0, MaxAttributes);
    if (version >= 7) {
        if (record.Arrow)
            width += 1000;
    } else if (width > 10) {
        width = 10;
    }
    if (version < 6) {
        color = std::min(color, 10);
        count = std::min(count, 10);
    }
    out.WritePadded(record.Name, 30);
    if (version >= 9)
        out.WritePadded(record.Alias, 10);
    out.WriteChar(' ');
    out.WriteInt(width);
    out.WriteChar(' ');
    out.WriteInt(color);
    out.WriteChar(' ');
    out.WriteInt(count);
    if (version < 6)
        out.WriteBlanks(9);
    out.WriteLn();

    if (version >= 8) {
        for (int i = 1; i <= 10; ++i) {
            out.WriteChar(' ');
            out.WriteInt(record.PieSlices[i]);
        }
        out.WriteLn();
    }

    static const TAttrib emptyAttribute;
    for (int i = 1; i <= count; ++i) {
        const TAttrib* a = record.Attributes[i].get();
        WriteAttribute(out, version, a ? *a : emptyAttribute);
    }
}

} // namespace

void ReadWorkSheetRows(TTextReader& in, int version, TWorkSheet& sheet, int topRow)
{
    const int last = std::min(topRow, MaxWorkSheetRow);
    for (int r = 0; r <= last; ++r) {
        TWorkSheetRow& row = sheet.Rows[r];
        row.Label = in.ReadText(30);
        TrimName30(row.Label);
        row.Low = in.ReadReal();
        row.High = in.ReadReal();
        in.ReadChar();
        row.Codes = in.ReadText(30);
        in.ReadLn();
        if (version >= 6)
            row.Hint = in.ReadLine();
        if (version == 1)
            row.Codes.clear();
    }
}

void ReadEntityClasses(TFileContext& ctx, TEntityClass& classes)
{
    if (ctx.ErrorCode != FileErrorNone)
        return;
    GuardRead(ctx, [&] {
        if (!ctx.InFile)
            throw TFileReadError("no input file");
        for (int c = 0; c <= MaxClasses; ++c)
            ReadClassRecord(*ctx.InFile, ctx.ReadVersion, classes[c], c);
    });
    NumberStringAttributes(classes);
}

void WriteEntityClasses(TFileContext& ctx, const TEntityClass& classes)
{
    GuardWrite(ctx, [&] {
        if (!ctx.OutFile)
            throw TFileWriteError("no output file");
        for (int c = 0; c <= MaxClasses; ++c)
            WriteClassRecord(*ctx.OutFile, ctx.WriteVersion, classes[c]);
    });
}
