#include "core/file/SettingsSections.h"

#include "core/file/NetFileIO.h"
#include "core/file/TextFormat.h"
#include "core/model/Network.h"

using namespace netfile;

namespace {

TValueSlot SlotOfReal(double v)
{
    TValueSlot s;
    s.SetReal(v);
    return s;
}

// The kind letter a file of the given version holds for an attribute (the
// entity-class section writes older kinds as 'R').
char KindInVersion(char kind, int v)
{
    if (v <= 4 && (kind == 'D' || kind == 'I' || kind == 'T' || kind == 'X')) return 'R';
    if (v < 8 && kind == 'S') return 'R';
    return kind;
}

void WriteDateBound(TTextWriter& w, double bound, bool trailingBlank)
{
    const TDateTimeParts p = UnpackDateTime(SlotOfReal(bound));
    const int parts[6] = {p.Year, p.Month, p.Day, p.Hour, p.Minute, p.Second};
    for (int i = 0; i < 6; ++i) {
        w.WriteInt(parts[i]);
        if (i < 5 || trailingBlank) w.WriteChar(' ');
    }
}

double ReadDateBound(TTextReader& r)
{
    TDateTimeParts p;
    p.Year = ReadIntIn(r, -32768, 32767, "date year");
    int* parts[5] = {&p.Month, &p.Day, &p.Hour, &p.Minute, &p.Second};
    for (int* q : parts) *q = ReadIntIn(r, 0, 255, "date part");
    return PackDateTime(p).Real();
}

void WriteClasses(TTextWriter& w, const TEntityClass& classes, int v)
{
    const int n = CountEntityTypes(classes);
    for (int c = 1; c <= n; ++c) {
        const TClassRecord& rec = classes[c];
        w.WriteInt(rec.SearchClass);
        w.WriteLn();
        int count = ClassAttributeCount(&classes, c);
        if (v < 6 && count > 10) count = 10;
        for (int i = 1; i <= count; ++i) {
            const TAttrib* a = rec.Attr(i);
            // A criterion the older file cannot express for its kind is left
            // out, so that the file reads back.
            if (!a || !a->Active || KindInVersion(a->Kind, v) != a->Kind) {
                w.WriteText("0");
                w.WriteLn();
                continue;
            }
            w.WriteText("1");
            switch (a->Kind) {
            case 'C':
                w.WriteChar(' ');
                w.WritePadded(UnpackShortText(SlotOfReal(a->Low)), 8);
                w.WriteChar(' ');
                w.WritePadded(UnpackShortText(SlotOfReal(a->High)), 8);
                break;
            case 'D':
            case 'T':
            case 'X':
                w.WriteChar(' ');
                WriteDateBound(w, a->Low, true);
                WriteDateBound(w, a->High, false);
                break;
            case 'S':
                w.WriteChar(' ');
                w.WriteText(a->HighText);
                w.WriteText("&&");
                w.WriteText(a->LowText);
                break;
            default: // 'R', 'I'
                w.WriteChar(' ');
                WriteRealOrZero(w, a->Low);
                w.WriteChar(' ');
                WriteRealOrZero(w, a->High);
                break;
            }
            w.WriteLn();
        }
    }
}

void ReadClasses(TTextReader& r, TEntityClass& classes)
{
    const int n = CountEntityTypes(classes);
    for (int c = 1; c <= n; ++c) {
        TClassRecord& rec = classes[c];
        rec.SearchClass = ReadByte(r);
        r.ReadLn();
        const int count = ClassAttributeCount(&classes, c);
        for (int i = 1; i <= count; ++i) {
            TAttrib* a = rec.Attr(i);
            const int32_t flag = r.ReadInt();
            if (!a) {
                r.ReadLn();
                continue;
            }
            a->Active = flag != 0 ? 1 : 0;
            if (flag == 0) {
                a->Low = a->High = 0;
                r.ReadLn();
                continue;
            }
            switch (a->Kind) {
            case 'C': {
                r.ReadChar();
                const std::string low = r.ReadText(8);
                r.ReadChar();
                const std::string high = r.ReadText(8);
                a->Low = PackShortText(low).Real();
                a->High = PackShortText(high).Real();
                break;
            }
            case 'D':
            case 'T':
            case 'X':
                a->Low = ReadDateBound(r);
                a->High = ReadDateBound(r);
                break;
            case 'R':
            case 'I':
                a->Low = r.ReadReal();
                a->High = r.ReadReal();
                break;
            case 'S': {
                r.ReadChar();
                std::string_view rest = r.ReadLineView();
                const std::size_t p = rest.find("&&");
                if (p == std::string_view::npos) {
                    a->HighText = std::string(rest);
                    a->LowText.clear();
                } else {
                    a->HighText = std::string(rest.substr(0, p));
                    a->LowText = std::string(Cut(rest.substr(p + 2), 50));
                }
                a->Low = a->High = 0;
                continue; // the line end is read
            }
            default:
                break;
            }
            r.ReadLn();
        }
    }
}

} // namespace

bool WriteSearchCriteria(TFileContext& f, const TNetwork& net)
{
    GuardWrite(f, [&] {
        WriteClasses(*f.OutFile, *net.NodeClasses, f.WriteVersion);
        WriteClasses(*f.OutFile, *net.LinkClasses, f.WriteVersion);
    });
    return f.ErrorCode == FileErrorNone;
}

bool ReadSearchCriteria(TFileContext& f, TNetwork& net)
{
    GuardRead(f, [&] {
        ReadClasses(*f.InFile, *net.NodeClasses);
        ReadClasses(*f.InFile, *net.LinkClasses);
    });
    return f.ErrorCode == FileErrorNone;
}
