// The Calculate program record and its .pgm file.
#include "core/calc/CalcProgram.h"

#include "core/file/LegacyText.h"
#include "core/model/Messages.h"

#include <cctype>

namespace {

constexpr const char* ProgramHeader = "PROGRAM 6";

std::string Cut(std::string s, std::size_t n)
{
    if (s.size() > n) s.resize(n);
    return s;
}

void ResetLookupTable(TLookupTable& t)
{
    t = TLookupTable{};
    for (int r = 1; r <= CalcLookupRowCount; ++r) {
        t.Bottom[r] = '?';
        t.Top[r] = ' ';
    }
}

bool RowWritten(const TLookupTable& t, int r)
{
    return t.Values[r] != 0 || t.Bottom[r] != ' ' || t.Top[r] != ' ';
}

// A line number of a range: 0 (runs nothing) or 1..10.
int32_t ReadLineNumber(TTextReader& in)
{
    int32_t v = in.ReadInt();
    if (v < 0 || v > CalcLineCount) throw TFileReadError("line number out of range");
    return v;
}

std::string FileNameOnlyFolder(const std::string& path)
{
    std::size_t p = path.find_last_of('/');
    return p == std::string::npos ? std::string() : path.substr(0, p);
}

} // namespace

void TCalcProgram::ResetCalculateProgram()
{
    ProgramFile.clear();
    for (int t = 1; t <= CalcLookupTableCount; ++t) ResetLookupTable(LookupTables[t]);
    LookupTables[0] = TLookupTable{};
    Variables.fill(0);
    for (auto& n : VariableNames) n.clear();
    for (auto& l : CalcLines) l.clear();
    LinkEndsSets = {};
    PolygonOwnerSets = {};
    CalcRanges = {};
    for (auto& kind : CalcParameters)
        for (auto& p : kind) p.clear();
}

bool WriteProgramText(const TCalcProgram& p, std::string& text)
{
    TTextWriter w;
    try {
        w.WriteLine(ProgramHeader);
        for (int i = 1; i <= CalcLineCount; ++i) {
            w.WriteInt(p.CalcRanges[CalcKindNode].Begin[i]);
            w.WriteChar(' ');
            w.WriteInt(p.CalcRanges[CalcKindNode].End[i]);
            w.WriteChar(' ');
            w.WriteInt(p.CalcRanges[CalcKindLink].Begin[i]);
            w.WriteChar(' ');
            w.WriteInt(p.CalcRanges[CalcKindLink].End[i]);
            w.WriteLn();
        }
        for (int i = 1; i <= CalcLineCount; ++i) w.WriteLine(p.CalcLines[i]);
        for (int i = 1; i <= CalcVariableCount; ++i) {
            w.WriteReal(p.Variables[i]);
            w.WriteLn();
        }
        for (int i = 1; i <= CalcVariableCount; ++i) w.WriteLine(p.VariableNames[i]);
        int rows = 0;
        for (int t = 1; t <= CalcLookupTableCount; ++t) {
            const TLookupTable& lt = p.LookupTables[t];
            w.WriteLine(lt.Description);
            for (int32_t v : {lt.Parameter, lt.ClassIndex, lt.Attribute, lt.CodePosition, lt.ApplyOtherwise,
                              lt.ClassKind}) {
                w.WriteInt(v);
                w.WriteChar(' ');
            }
            w.WriteReal(lt.Otherwise);
            w.WriteLn();
            for (int r = 1; r <= CalcLookupRowCount; ++r)
                if (RowWritten(lt, r)) ++rows;
        }
        w.WriteInt(rows);
        w.WriteLn();
        for (int t = 1; t <= CalcLookupTableCount; ++t) {
            const TLookupTable& lt = p.LookupTables[t];
            for (int r = 1; r <= CalcLookupRowCount; ++r) {
                if (!RowWritten(lt, r)) continue;
                w.WriteInt(t);
                w.WriteChar(' ');
                w.WriteInt(r);
                w.WriteChar(' ');
                w.WriteChar(lt.Bottom[r]);
                w.WriteChar(lt.Top[r]);
                w.WriteChar(' ');
                w.WriteReal(lt.Values[r]);
                w.WriteLn();
            }
        }
        for (int s = 1; s <= CalcSetCount; ++s) {
            const TParameterSet& e = p.LinkEndsSets[s];
            const int order[8] = {6, 7, 0, 1, 2, 3, 4, 5};
            for (int k = 0; k < 8; ++k) {
                if (k) w.WriteChar(' ');
                w.WriteInt(e[order[k]]);
            }
            w.WriteLn();
        }
        for (int kind = CalcKindNode; kind <= CalcKindLink; ++kind)
            for (int c = 1; c <= CalcLineCount; ++c) w.WriteLine(p.CalcParameters[kind][c]);
        for (int s = 1; s <= CalcStageCount; ++s) {
            w.WriteInt(p.CalcRanges[CalcKindSystem].Begin[s]);
            w.WriteChar(' ');
            w.WriteInt(p.CalcRanges[CalcKindSystem].End[s]);
            w.WriteLn();
        }
        for (int s = 1; s <= CalcStageCount; ++s) w.WriteLine(p.CalcParameters[CalcKindSystem][s]);
        for (int s = 1; s <= CalcSetCount; ++s) {
            const TParameterSet& e = p.PolygonOwnerSets[s];
            const int order[5] = {6, 7, 0, 2, 4};
            for (int k = 0; k < 5; ++k) {
                if (k) w.WriteChar(' ');
                w.WriteInt(e[order[k]]);
            }
            w.WriteLn();
        }
    } catch (const TFileWriteError&) {
        return false;
    }
    text = w.Text();
    return true;
}

bool ReadProgramText(const std::string& bytes, TCalcProgram& program, std::string& error)
{
    // Everything is read into a copy; the program changes only when the whole
    // file was read.
    TCalcProgram p = program;
    TTextReader in(bytes);
    try {
        if (in.Eof()) throw TFileReadError("empty file");
        std::string header = Cut(in.ReadLine(), 100);
        if (header.compare(0, 7, "PROGRAM") != 0) throw TFileReadError("not a program file");
        const bool current = header.size() > 8 && header.substr(8) == "6";
        const int variables = current ? CalcVariableCount : 10;

        for (int i = 1; i <= CalcLineCount; ++i) {
            p.CalcRanges[CalcKindNode].Begin[i] = ReadLineNumber(in);
            p.CalcRanges[CalcKindNode].End[i] = ReadLineNumber(in);
            p.CalcRanges[CalcKindLink].Begin[i] = ReadLineNumber(in);
            p.CalcRanges[CalcKindLink].End[i] = ReadLineNumber(in);
            in.ReadLn();
        }
        for (int i = 1; i <= CalcLineCount; ++i) p.CalcLines[i] = Cut(in.ReadLine(), CalcLineLength);
        for (int i = 1; i <= variables; ++i) {
            p.Variables[i] = in.ReadReal();
            in.ReadLn();
        }
        for (int i = 1; i <= variables; ++i) p.VariableNames[i] = Cut(in.ReadLine(), 30);

        for (int t = 1; t <= CalcLookupTableCount; ++t) {
            TLookupTable& lt = p.LookupTables[t];
            lt.Description = Cut(in.ReadLine(), 30);
            lt.Parameter = in.ReadInt();
            lt.ClassIndex = in.ReadInt();
            lt.Attribute = in.ReadInt();
            lt.CodePosition = in.ReadInt();
            lt.ApplyOtherwise = in.ReadInt();
            lt.ClassKind = in.ReadInt();
            lt.Otherwise = in.ReadReal();
            in.ReadLn();
            for (int r = 1; r <= CalcLookupRowCount; ++r) {
                lt.Values[r] = 0;
                lt.Bottom[r] = ' ';
                lt.Top[r] = ' ';
            }
        }
        int32_t rows = in.ReadInt();
        in.ReadLn();
        if (rows < 0) throw TFileReadError("negative row count");
        // Each row takes a line of the file, so the count cannot run the loop
        // past the file's end without failing there.
        for (int32_t k = 0; k < rows; ++k) {
            int32_t t = in.ReadInt();
            int32_t r = in.ReadInt();
            if (t < 1 || t > CalcLookupTableCount || r < 1 || r > CalcLookupRowCount)
                throw TFileReadError("lookup row out of range");
            in.ReadChar();
            char bottom = in.ReadChar();
            char top = in.ReadChar();
            double value = in.ReadReal();
            in.ReadLn();
            TLookupTable& lt = p.LookupTables[t];
            lt.Bottom[r] = bottom;
            lt.Top[r] = top;
            lt.Values[r] = value;
        }
        for (int s = 1; s <= CalcSetCount; ++s) {
            TParameterSet& e = p.LinkEndsSets[s];
            const int order[8] = {6, 7, 0, 1, 2, 3, 4, 5};
            for (int k : order) e[k] = in.ReadInt();
            in.ReadLn();
        }
        for (int kind = CalcKindNode; kind <= CalcKindLink; ++kind)
            for (int c = 1; c <= CalcLineCount; ++c) {
                std::string s = Cut(in.ReadLine(), CalcParameterLength);
                if (!current)
                    for (char& ch : s)
                        if (ch != 'a') ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
                p.CalcParameters[kind][c] = s;
            }
        if (in.SeekEof()) {
            p.CalcRanges[CalcKindSystem] = TCalcRanges{};
            for (auto& s : p.CalcParameters[CalcKindSystem]) s.clear();
        } else {
            for (int s = 1; s <= CalcStageCount; ++s) {
                p.CalcRanges[CalcKindSystem].Begin[s] = ReadLineNumber(in);
                p.CalcRanges[CalcKindSystem].End[s] = ReadLineNumber(in);
                in.ReadLn();
            }
            for (int s = 1; s <= CalcStageCount; ++s)
                p.CalcParameters[CalcKindSystem][s] = Cut(in.ReadLine(), CalcParameterLength);
        }
        if (in.SeekEof()) {
            p.PolygonOwnerSets = {};
        } else {
            for (int s = 1; s <= CalcSetCount; ++s) {
                TParameterSet& e = p.PolygonOwnerSets[s];
                e = {};
                for (int k : {6, 7, 0, 2, 4}) e[k] = in.ReadInt();
                in.ReadLn();
            }
        }
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
    program = std::move(p);
    return true;
}

bool OpenProgramFile(const std::string& path, TCalcProgram& program, TMessageSink* sink)
{
    TFileContext ctx; // a fresh error code for this step
    TTextReader reader;
    std::string error;
    if (!reader.LoadFile(path, error)) ctx.ErrorCode = FileErrorRead;
    if (ctx.ErrorCode == FileErrorNone && !ReadProgramText(reader.Bytes(), program, error))
        ctx.ErrorCode = FileErrorRead;
    if (ctx.ErrorCode != FileErrorNone) {
        if (sink) ShowMessageBox(*sink, 38, 35, MB_EXCLAMATION_OK);
        return false;
    }
    program.ProgramFile = path;
    return true;
}

bool SaveProgramFile(const std::string& path, TCalcProgram& program, TMessageSink* sink)
{
    TFileContext ctx;
    std::string text, error;
    if (!WriteProgramText(program, text) || !AtomicWriteFile(path, text, error)) ctx.ErrorCode = FileErrorWrite;
    if (ctx.ErrorCode != FileErrorNone) {
        if (sink) ShowMessageBox(*sink, 59, 58, MB_EXCLAMATION_OK);
        return false;
    }
    program.ProgramFile = path;
    program.ProgramFolder = FileNameOnlyFolder(path);
    return true;
}
