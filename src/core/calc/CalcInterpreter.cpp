// The Calculate interpreter.
#include "core/calc/CalcInterpreter.h"


#include "core/calc/CalcEditing.h"
#include "core/file/TextFormat.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"
#include "core/model/Rounding.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

std::string UpperText(std::string_view s)
{
    std::string r(s);
    for (char& c : r) c = Upper(c);
    return r;
}

bool IsBlankText(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// Operand symbols "1".."9" -> 1..9, letters -> 10..35; 0 otherwise.
int OperandDigit(char c)
{
    if (c >= '1' && c <= '9') return c - '0';
    c = Upper(c);
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 0;
}

ExprMode ModeOfKind(int kind)
{
    return kind == CalcKindNode ? ExprMode::Node : kind == CalcKindLink ? ExprMode::Link : ExprMode::System;
}

int32_t KindOfAttribute(const TAttrib* a)
{
    if (!a) return KindReal;
    switch (a->Kind) {
    case 'I': return KindInteger;
    case 'C': return std::max(1, CategoryCodePositions(*a));
    case 'D': return KindDateTime;
    case 'X': return KindDate;
    case 'T': return KindTime;
    case 'S': return KindString;
    default: return KindReal;
    }
}

char LetterOfKind(int32_t kind)
{
    return kind == KindDateTime ? 'D' : kind == KindDate ? 'X' : 'T';
}

// The text between the first pair of quotes, at most n characters; empty
// (and false) when there is no pair.
bool QuotedText(const std::string& s, std::size_t n, std::string& out)
{
    const std::size_t a = s.find('\'');
    if (a == std::string::npos) return false;
    const std::size_t b = s.find('\'', a + 1);
    if (b == std::string::npos) return false;
    out = s.substr(a + 1, std::min(b - a - 1, n));
    return true;
}

const TClassRecord* ClassRecordOf(const TNetwork& net, int kind, int classNo)
{
    const TEntityClass* classes = kind == CalcKindNode   ? net.NodeClasses.get()
                                  : kind == CalcKindLink ? net.LinkClasses.get()
                                                         : net.SystemClass.get();
    if (!classes) return nullptr;
    if (kind == CalcKindSystem) return &(*classes)[1];
    if (classNo < 0 || classNo > MaxClasses) return nullptr;
    return &(*classes)[classNo];
}

bool NeedsArgument(int code)
{
    switch (code) {
    case CalcCall: case CalcDols: case CalcDons: case CalcDovs: case CalcDoos: case CalcSkip: case CalcGoto:
    case CalcMrge: case CalcSmrg:
        return true;
    default: return false;
    }
}

} // namespace

int CalcCommandCode(std::string_view w)
{
    static constexpr struct {
        const char* Word;
        int Code;
    } Words[] = {{"CALL", CalcCall}, {"DOLS", CalcDols}, {"DONS", CalcDons}, {"DOVS", CalcDovs},
                 {"DOOS", CalcDoos}, {"SKIP", CalcSkip}, {"GOTO", CalcGoto}, {"MRGE", CalcMrge},
                 {"SMRG", CalcSmrg}, {"PDEL", CalcPdel}, {"FLIP", CalcFlip}, {"BEEP", CalcBeep},
                 {"REDO", CalcRedo}, {"DRAW", CalcDraw}, {"FUSE", CalcFuse}, {"LNKX", CalcLnkx},
                 {"DELE", CalcDele}, {"STOP", CalcStop}, {"CLKW", CalcClkw}, {"CCLK", CalcCclk}};
    if (w.size() != 4) return 0;
    for (const auto& e : Words)
        if (w == e.Word) return e.Code;
    return 0;
}

std::vector<TCalcStatementText> SplitRelationLine(const std::string& line)
{
    std::vector<TCalcStatementText> out;
    if (line.empty()) return out;
    const std::size_t n = line.size();
    std::size_t start = 0;
    TCalcConjunction pending = ConjNone;
    int quotes = 0;
    for (std::size_t i = 0;; ++i) {
        if (i >= n) {
            out.push_back({line.substr(start), pending});
            break;
        }
        TCalcConjunction conj = ConjNone;
        if (i + 4 <= n) {
            char w[4] = {Upper(line[i]), Upper(line[i + 1]), Upper(line[i + 2]), Upper(line[i + 3])};
            if (std::memcmp(w, "ELSE", 4) == 0) conj = ConjElse;
            else if (std::memcmp(w, "THEN", 4) == 0) conj = ConjThen;
            else if (std::memcmp(w, "ALSO", 4) == 0) conj = ConjAlso;
        }
        if (conj != ConjNone) {
            out.push_back({line.substr(start, i - start), pending});
            pending = conj;
            start = i + 4;
            i += 3;
            quotes = 0;
            continue;
        }
        const char c = line[i];
        if (c == ':' && quotes % 2 == 0 && quotes <= 16) {
            out.push_back({line.substr(start, i - start), pending});
            pending = ConjNone;
            start = i + 1;
            quotes = 0;
            continue;
        }
        if (c == '\'' || c == '{' || c == '}') ++quotes;
    }
    return out;
}

void ParseCalcStatement(const std::string& text, int kind, int classNo, const TExprEnvironment& env,
                        TCalcStatement& out)
{
    out.Code = CalcNone;
    out.Operand = 0;
    out.ParseError = false;
    out.Expression.clear();
    out.IsPrepared = false;
    const std::size_t eq = text.find('=');
    if (eq != std::string::npos) {
        std::string head = UpperText(std::string_view(text).substr(0, std::min<std::size_t>(eq, 100)));
        head = ExpandAliases(head, kind == CalcKindSystem ? 1 : classNo, ModeOfKind(kind), true, env);
        out.Text = head + "=" + text.substr(eq + 1);
    } else {
        out.Text = text;
    }
    const std::string& s = out.Text;
    if (IsBlankText(s)) return;

    int code = 0, operand = 0;
    std::size_t at = 0; // 0-based index of c[k-1] where the code was found
    for (std::size_t k = 1; k < s.size(); ++k) {
        const char a = s[k - 1], b = s[k];
        if (a == '=') break;
        const char ua = Upper(a), ub = Upper(b);
        int found = 0, number = 0;
        if (const int d = OperandDigit(b)) {
            if (ua == 'A' || ua == 'B' || ua == 'C') {
                found = CalcAttribute;
                number = (ua == 'A' ? 0 : ua == 'B' ? 35 : 70) + d;
            }
            if (ua == 'V') {
                found = CalcVariable;
                number = d;
            }
        }
        if (ua == 'I' && ub == 'F') found = CalcCondition;
        if (ua == 'V' && b == '0') found = CalcCondition;
        if (ua == 'P' && b == '0') found = CalcClass;
        if (ua == 'A' && b == '0') found = CalcLayer;
        if (k + 3 <= s.size()) {
            const std::string w = UpperText(std::string_view(s).substr(k - 1, 4));
            if (const int c = CalcCommandCode(w)) {
                found = c;
                number = 0;
            }
        }
        if (k + 2 <= s.size() && UpperText(std::string_view(s).substr(k - 1, 3)) == "END") {
            found = CalcEnd;
            number = 0;
        }
        if (found) {
            code = found;
            operand = number;
            at = k - 1;
            break;
        }
        if (b == '=') break;
    }
    if (code == 0) {
        out.ParseError = true;
        return;
    }
    out.Code = code;
    out.Operand = operand;
    if (code <= CalcLayer) {
        if (eq == std::string::npos) {
            out.Code = CalcNone;
            out.ParseError = true;
            return;
        }
        out.Expression = s.substr(s.find('=') + 1);
    } else if (NeedsArgument(code)) {
        out.Expression = s.size() > at + 4 ? s.substr(at + 4) : std::string();
    }
}

// ---------------------------------------------------------------- engine

// Relation lines cut once per run and statements parsed once per (kind,
// class, line).
struct TCalcEngine::Cache {
    std::array<std::vector<TCalcStatementText>, CalcLineCount + 1> Texts;
    std::array<std::array<std::array<std::unique_ptr<std::vector<TCalcStatement>>, CalcLineCount + 1>,
                          MaxClasses + 1>,
               3>
        Parsed;
};

struct TCalcEngine::Frame {
    int Code = CalcCall;
    int CalledLine = 0;
    int RetLine = 0, RetPos = 0;
    bool SavedExecute = true;
    double SavedV0 = 0;
    // DO loops: the elements and the entity that started the loop.
    std::vector<std::pair<TNode*, TLink*>> Elements;
    std::size_t Next = 0;
    TCalcEntity Saved;
};

TCalcEngine::TCalcEngine(TNetwork& net, TCalcProgram& program, TCalcFlags& flags, TCalcHost& host,
                         const TCalcEditOps& ops, const TCalcRunOptions& options)
    : Net(net), Program(program), Flags(flags), Host(host), Ops(ops), Options(options),
      Usage(ComputeCalcUsage(program)), Random(MakeRunRandom()), Binding(net, options.View, &Random),
      Env(Binding.Env), Lines(std::make_unique<Cache>())
{
    for (int i = 0; i <= CalcVariableCount; ++i) Ctx.Variables[size_t(i)] = Program.Variables[size_t(i)];
    for (int line = 1; line <= CalcLineCount; ++line) Lines->Texts[size_t(line)] = SplitRelationLine(Program.CalcLines[size_t(line)]);
    LastEvents = std::chrono::steady_clock::now();
}

TCalcEngine::~TCalcEngine() = default;

void TCalcEngine::ProcessMessages(bool force)
{
    if (!force && Options.EventIntervalMs > 0) {
        if ((++EventTicks & 63) != 0) return;
        const auto now = std::chrono::steady_clock::now();
        if (now - LastEvents < std::chrono::milliseconds(Options.EventIntervalMs)) return;
        LastEvents = now;
    }
    Host.ProcessMessages();
}

const TCalcEngine::ClassInfo& TCalcEngine::InfoOf(int kind, int classNo)
{
    ClassInfo& info = Infos[size_t(kind)][size_t(std::clamp(classNo, 0, MaxClasses))];
    if (info.Ready) return info;
    info.Ready = true;
    const TClassRecord* rec = ClassRecordOf(Net, kind, classNo);
    if (!rec) return info;
    info.Count = kind == CalcKindSystem ? CountAttributes(*Net.SystemClass) : std::clamp(rec->AttributeCount, 0, MaxAttributes);
    for (int k = 1; k <= info.Count; ++k) {
        info.Kinds[size_t(k)] = KindOfAttribute(rec->Attr(k));
        if (info.Kinds[size_t(k)] == KindString) info.HasStrings = true;
    }
    return info;
}

inline void TCalcEngine::SetKinds()
{
    const int key = E.Kind * (MaxClasses + 1) + (E.Kind == CalcKindSystem ? 1 : std::clamp(E.ClassNo, 0, MaxClasses));
    if (E.KindsOf == key) return;
    const ClassInfo& info = InfoOf(E.Kind, E.Kind == CalcKindSystem ? 1 : E.ClassNo);
    E.Kinds = info.Kinds;
    E.AttributeCount = info.Count;
    E.HasStrings = info.HasStrings;
    E.KindsOf = key;
}

void TCalcEngine::SyncContext()
{
    for (int k = 1; k <= MaxAttributes; ++k) {
        const int32_t kind = E.Kinds[size_t(k)];
        const double v = E.Slots[size_t(k)].Real();
        Ctx.Kinds[size_t(k)] = kind == KindInteger ? KindReal : kind;
        Ctx.Values[size_t(k)] = kind == KindInteger ? pround(v) : v;
        Strings[size_t(k)] = kind == KindString ? std::string_view(E.Strings[size_t(k)]) : std::string_view();
    }
    Ctx.Values[0] = E.Kind == CalcKindNode ? E.Layer : 0;
    Ctx.Kinds[0] = KindReal;
}

void TCalcEngine::LoadEntity(int kind, TNode* node, TLink* link, int classNo)
{
    const int before = E.AttributeCount;
    E.Kind = kind;
    E.Node = kind == CalcKindNode ? node : nullptr;
    E.Link = kind == CalcKindLink ? link : nullptr;
    E.ClassNo = classNo;
    SetKinds();
    const int n = E.AttributeCount;
    const TClassRecord* rec = ClassRecordOf(Net, kind, classNo);
    const TValueSlot* block = nullptr;
    int blockCount = 0;
    const TStringList* strings = nullptr;
    E.Layer = 0;
    if (kind == CalcKindNode && node) {
        block = node->Values.get();
        blockCount = SlotCount(*node);
        strings = &node->Strings;
        E.Layer = node->Layer;
    } else if (kind == CalcKindLink && link && link->LinkValues) {
        block = link->LinkValues->Values.get();
        blockCount = SlotCount(*link->LinkValues);
        strings = &link->LinkValues->Strings;
    } else if (kind == CalcKindSystem) {
        block = &Net.SystemValues[1];
        blockCount = MaxAttributes;
        strings = &Net.SystemStrings;
    }
    const int m = std::min(n, blockCount);
    for (int k = 1; k <= m; ++k) E.Slots[size_t(k)] = block[k - 1];
    for (int k = m + 1; k <= std::max(before, n); ++k) E.Slots[size_t(k)] = TValueSlot{};
    if (StringsLoaded || E.HasStrings) {
        StringsLoaded = false;
        for (int k = 1; k <= std::max(before, n); ++k) {
            std::string& s = E.Strings[size_t(k)];
            s.clear();
            if (k <= n && E.Kinds[size_t(k)] == KindString && rec && strings)
                if (const TAttrib* a = rec->Attr(k); a && a->StringIndex < strings->size()) {
                    s = (*strings)[a->StringIndex];
                    StringsLoaded = true;
                }
        }
    }
    // The context: only the slots that may differ from the last entity.
    for (int k = 1; k <= std::max(before, n); ++k) {
        const int32_t kd = E.Kinds[size_t(k)];
        const double v = E.Slots[size_t(k)].Real();
        Ctx.Kinds[size_t(k)] = kd == KindInteger ? KindReal : kd;
        Ctx.Values[size_t(k)] = kd == KindInteger ? pround(v) : v;
        Strings[size_t(k)] = kd == KindString ? std::string_view(E.Strings[size_t(k)]) : std::string_view();
    }
    Ctx.Values[0] = kind == CalcKindNode ? E.Layer : 0;
}

void TCalcEngine::WriteBack()
{
    const TClassRecord* rec = ClassRecordOf(Net, E.Kind, E.ClassNo);
    const int n = E.AttributeCount;
    TValueSlot* block = nullptr;
    int blockCount = 0;
    TStringList* strings = nullptr;
    uint8_t stringCount = rec ? rec->StringCount : 0;
    if (E.Kind == CalcKindNode && E.Node) {
        block = E.Node->Values.get();
        blockCount = SlotCount(*E.Node);
        strings = &E.Node->Strings;
        E.Node->Layer = uint8_t(E.Layer);
    } else if (E.Kind == CalcKindLink && E.Link && E.Link->LinkValues) {
        block = E.Link->LinkValues->Values.get();
        blockCount = SlotCount(*E.Link->LinkValues);
        strings = &E.Link->LinkValues->Strings;
    } else if (E.Kind == CalcKindSystem) {
        block = &Net.SystemValues[1];
        blockCount = MaxAttributes;
        strings = &Net.SystemStrings;
    }
    const int m = std::min(n, blockCount);
    for (int k = 1; k <= m; ++k) block[k - 1] = E.Slots[size_t(k)];
    if (strings && rec) {
        for (int k = 1; k <= n; ++k) {
            if (E.Kinds[size_t(k)] != KindString) continue;
            const TAttrib* a = rec->Attr(k);
            if (!a) continue;
            if (strings->size() <= a->StringIndex) strings->resize(std::max<std::size_t>(stringCount, a->StringIndex + 1u));
            strings->Set(a->StringIndex, E.Strings[size_t(k)]);
        }
    }
}

inline void TCalcEngine::WriteSlot(int k)
{
    if (E.Kinds[size_t(k)] == KindString || E.Kind == CalcKindSystem) {
        WriteBack();
        return;
    }
    if (E.Kind == CalcKindNode && E.Node) {
        if (k <= SlotCount(*E.Node)) E.Node->Values[size_t(k - 1)] = E.Slots[size_t(k)];
    } else if (E.Kind == CalcKindLink && E.Link && E.Link->LinkValues) {
        if (k <= SlotCount(*E.Link->LinkValues)) E.Link->LinkValues->Values[size_t(k - 1)] = E.Slots[size_t(k)];
    }
}

const std::vector<TCalcStatementText>& TCalcEngine::LineStatements(int line)
{
    return Lines->Texts[size_t(line)];
}

inline const TCalcStatement& TCalcEngine::Statement(int line, int index)
{
    // The lines already parsed for the entity's kind and class.
    if (E.Kind == PlanKind && E.ClassNo == PlanClass)
        if (const auto* plan = Plans[size_t(line)]) return (*plan)[size_t(index)];
    return ParseStatement(line, index);
}

[[gnu::noinline]] const TCalcStatement& TCalcEngine::ParseStatement(int line, int index)
{
    const TCalcStatementText& t = Lines->Texts[size_t(line)][size_t(index)];
    const int classNo = E.Kind == CalcKindSystem ? 1 : std::clamp(E.ClassNo, 0, MaxClasses);
    if (Options.StepByStep) {
        ParseCalcStatement(t.Text, E.Kind, classNo, Env, Scratch);
        return Scratch;
    }
    auto& slot = Lines->Parsed[size_t(E.Kind)][size_t(classNo)][size_t(line)];
    if (!slot) {
        const auto& texts = Lines->Texts[size_t(line)];
        slot = std::make_unique<std::vector<TCalcStatement>>(texts.size());
        std::array<int32_t, ExprSlots> kinds{};
        for (int k = 1; k <= MaxAttributes; ++k) kinds[size_t(k)] = Ctx.Kinds[size_t(k)];
        for (std::size_t i = 0; i < texts.size(); ++i) {
            TCalcStatement& st = (*slot)[i];
            ParseCalcStatement(texts[i].Text, E.Kind, classNo, Env, st);
            const bool textValue = st.Code == CalcAttribute && st.Operand >= 1 && st.Operand <= E.AttributeCount &&
                                   E.Kinds[size_t(st.Operand)] > 0;
            if (!st.ParseError && (st.Code != CalcNone) && (st.Code <= CalcLayer || NeedsArgument(st.Code)) &&
                !textValue) {
                st.Prepared.Prepare(st.Expression, classNo, ModeOfKind(E.Kind), kinds, Env);
                st.IsPrepared = true;
            }
        }
    }
    if (E.Kind != PlanKind || E.ClassNo != PlanClass) {
        Plans.fill(nullptr);
        PlanKind = E.Kind;
        PlanClass = E.ClassNo;
    }
    Plans[size_t(line)] = slot.get();
    return (*slot)[size_t(index)];
}

// Kept out of line: the prepared path above stays lean.
[[gnu::noinline]] double TCalcEngine::EvaluateStepByStep(const TCalcStatement& st, const TExprElement& el,
                                                         int32_t& err)
{
    std::string text = st.Expression;
    return EvaluateExpression(text, err, Ctx, Strings, el, Env);
}

bool TCalcEngine::Evaluate(const TCalcStatement& st, double& value)
{
    TExprElement el;
    el.Node = E.Kind == CalcKindNode ? E.Node : nullptr;
    el.Link = E.Kind == CalcKindLink ? E.Link : nullptr;
    int32_t err = 0;
    if (st.IsPrepared && !Options.StepByStep)
        value = st.Prepared.Evaluate(Ctx, Strings, el, Env, err);
    else
        value = EvaluateStepByStep(st, el, err);
    if (err != 0 || !std::isfinite(value)) {
        Error = true;
        return false;
    }
    return true;
}

bool TCalcEngine::EvaluateArgument(const TCalcStatement& st, int64_t& n)
{
    double v = 0;
    if (!Evaluate(st, v)) return false;
    if (std::fabs(v) > 1e15) {
        Error = true;
        return false;
    }
    n = pround64(v);
    return true;
}

void TCalcEngine::ChangeClass(int64_t n)
{
    const TEntityClass* classes = E.Kind == CalcKindNode ? Net.NodeClasses.get()
                                  : E.Kind == CalcKindLink ? Net.LinkClasses.get()
                                                           : nullptr;
    if (!classes || n < 1 || n > CountEntityTypes(*classes)) return;
    const TClassRecord& rec = (*classes)[int(n)];
    const int count = std::clamp(rec.AttributeCount, 0, MaxAttributes);
    // The element's value block and string list take the new class's size
    // before anything is written back into them.
    if (E.Kind == CalcKindNode && E.Node) {
        ResizeValues(*E.Node, count);
        E.Node->Strings.resize(rec.StringCount);
        E.Node->EntityType = uint8_t(n);
    } else if (E.Kind == CalcKindLink && E.Link && E.Link->LinkValues) {
        ResizeValues(*E.Link->LinkValues, count);
        E.Link->LinkValues->Strings.resize(rec.StringCount);
        E.Link->LinkValues->EntityType = uint8_t(n);
    } else {
        return;
    }
    const int old = E.AttributeCount;
    E.ClassNo = int(n);
    E.KindsOf = -1;
    SetKinds();
    for (int k = E.AttributeCount + 1; k <= std::max(old, E.AttributeCount); ++k) {
        E.Slots[size_t(k)] = TValueSlot{};
        E.Strings[size_t(k)].clear();
    }
    for (int k = 1; k <= E.AttributeCount; ++k)
        if (E.Kinds[size_t(k)] != KindString) E.Strings[size_t(k)].clear();
    SyncContext();
}

void TCalcEngine::Assign(const TCalcStatement& st)
{
    double v = 0;
    if (st.Code == CalcCondition) {
        if (!Evaluate(st, v)) return;
        Program.Variables[0] = Ctx.Variables[0] = v;
        Execute = v != 0;
        return;
    }
    if (!Execute) return;
    const bool inLoop = Call && Call->Code != CalcCall;
    switch (st.Code) {
    case CalcAttribute: {
        const int k = st.Operand;
        if (k < 1 || k > E.AttributeCount) {
            Error = true;
            return;
        }
        const int32_t kind = E.Kinds[size_t(k)];
        TValueSlot& slot = E.Slots[size_t(k)];
        if (kind == KindReal || kind == KindInteger) {
            if (!Evaluate(st, v)) return;
            if (kind == KindInteger) v = pround(v);
            slot.SetReal(v);
        } else if (kind == KindString) {
            // Held as the element will hold it, so the statements after
            // this one read what is stored.
            std::string q;
            QuotedText(st.Text, StringValueLength, q);
            slot = TValueSlot{};
            StringsLoaded = true;
            E.Strings[size_t(k)] = std::move(q);
            Strings[size_t(k)] = E.Strings[size_t(k)];
        } else if (kind >= KindDateTime) {
            std::string text = st.Expression.substr(0, 30);
            for (char& c : text)
                if (c == '{' || c == '}') c = ' ';
            int err = 0;
            TValueSlot parsed = TypedDateTime(text, err, DateTimeModeOfKind(LetterOfKind(kind)), slot);
            if (err != 0) {
                Error = true; // a date that does not parse stores nothing
                return;
            }
            slot = parsed;
        } else {
            std::string q;
            if (!QuotedText(st.Text, 8, q)) return;
            std::string code = UnpackShortText(slot);
            for (std::size_t i = 0; i < q.size() && i < code.size(); ++i)
                if (q[i] != '?') code[i] = q[i];
            slot = PackShortText(code);
        }
        Ctx.Values[size_t(k)] = kind == KindInteger ? pround(slot.Real()) : slot.Real();
        Net.SetAllowClose(false);
        if (!inLoop) WriteSlot(k);
        return;
    }
    case CalcVariable:
        if (!Evaluate(st, v)) return;
        if (st.Operand >= 1 && st.Operand <= CalcVariableCount)
            Program.Variables[size_t(st.Operand)] = Ctx.Variables[size_t(st.Operand)] = v;
        return;
    case CalcClass: {
        if (!Evaluate(st, v)) return;
        Net.SetAllowClose(false);
        if (std::fabs(v) > 1e9) return;
        ChangeClass(pround64(v));
        if (!inLoop) WriteBack();
        return;
    }
    case CalcLayer: {
        if (!Evaluate(st, v)) return;
        if (E.Kind != CalcKindNode || std::fabs(v) > 1e9) return;
        const int64_t n = pround64(v);
        if (n < 1 || n > 10) return;
        E.Layer = int(n);
        Ctx.Values[0] = double(n);
        Net.SetAllowClose(false);
        if (!inLoop) WriteBack();
        return;
    }
    default: return;
    }
}

bool TCalcEngine::StartLoop(int code, int line)
{
    auto f = std::make_unique<Frame>();
    f->Code = code;
    f->CalledLine = line;
    if (code == CalcDons) {
        const TLinkValues* r = E.Link->LinkValues;
        if (r) {
            f->Elements.push_back({r->ANode, nullptr});
            f->Elements.push_back({r->BNode, nullptr});
        }
    } else if (code == CalcDols) {
        for (TLink* h : E.Node->Links) f->Elements.push_back({nullptr, h});
    } else if (code == CalcDovs) {
        for (TNetworkPoint* v : E.Node->OwnPolygon())
            if (TNode* n = v->AsNode()) f->Elements.push_back({n, nullptr});
    } else {
        for (TNode* owner : Net.PolygonsOf(E.Node)) f->Elements.push_back({owner, nullptr});
    }
    f->RetLine = Line;
    f->RetPos = Pos;
    f->SavedExecute = Execute;
    f->SavedV0 = Ctx.Variables[0];
    f->Saved = E;
    Call = std::move(f);
    if (!NextLoopElement()) {
        Call.reset();
        return false;
    }
    return true;
}

bool TCalcEngine::NextLoopElement()
{
    Frame& f = *Call;
    while (f.Next < f.Elements.size()) {
        auto [node, link] = f.Elements[f.Next++];
        if (node && node->Active) {
            LoadEntity(CalcKindNode, node, nullptr, node->EntityType);
            return true;
        }
        if (link && link->LinkValues && link->LinkValues->Active) {
            LoadEntity(CalcKindLink, nullptr, link, link->LinkValues->EntityType);
            return true;
        }
    }
    return false;
}

void TCalcEngine::EndCallPass()
{
    Frame& f = *Call;
    if (f.Code != CalcCall) {
        WriteBack(); // the element of this pass
        if (NextLoopElement()) {
            Line = f.CalledLine;
            Pos = 0;
            Started = false;
            ProcessMessages();
            return;
        }
        const int count = E.AttributeCount;
        E = f.Saved;
        StringsLoaded = true;
        for (int k = E.AttributeCount + 1; k <= count; ++k) E.Slots[size_t(k)] = TValueSlot{};
        SyncContext();
    }
    Line = f.RetLine;
    Pos = f.RetPos;
    Started = true;
    Execute = f.SavedExecute;
    Program.Variables[0] = Ctx.Variables[0] = f.SavedV0;
    Call.reset();
}

void TCalcEngine::Command(const TCalcStatement& st)
{
    if (!Execute) return;
    const int code = st.Code;
    int64_t n = 0;
    if (NeedsArgument(code) && !EvaluateArgument(st, n)) return;
    const bool isNode = E.Kind == CalcKindNode && E.Node;
    const bool isLink = E.Kind == CalcKindLink && E.Link && E.Link->LinkValues;
    const bool lastOfLine = std::size_t(Pos) >= LineStatements(Line).size();
    auto jump = [&](int target) {
        Line = target;
        Pos = 0;
        Started = false;
        ProcessMessages();
    };
    switch (code) {
    case CalcCall:
        if (Call) return;
        if (n < 1 || n > CalcLineCount) {
            Error = true;
            return;
        }
        Call = std::make_unique<Frame>();
        Call->Code = CalcCall;
        Call->CalledLine = int(n);
        Call->RetLine = Line;
        Call->RetPos = Pos;
        Call->SavedExecute = Execute;
        Call->SavedV0 = Ctx.Variables[0];
        jump(int(n));
        return;
    case CalcDols: case CalcDons: case CalcDovs: case CalcDoos:
        if (Call) return;
        if (n < 1 || n > CalcLineCount || (code == CalcDons ? !isLink : !isNode)) {
            Error = true;
            return;
        }
        if (StartLoop(code, int(n))) jump(int(n));
        return;
    case CalcEnd: Done = true; return;
    case CalcStop:
        Done = true;
        Flags.CalcStop = 1;
        return;
    case CalcSkip: {
        if (Call) return;
        const int64_t target = Line + n + 1;
        if (n >= (lastOfLine ? 1 : 0) && target <= Last) jump(int(target));
        else if (lastOfLine && n >= 1 && target == Last + 1) Done = true;
        else Error = true;
        return;
    }
    case CalcGoto:
        if (Call) return;
        if (n >= First && n <= Last) jump(int(n));
        else if (lastOfLine && n == Last + 1) Done = true;
        else Error = true;
        return;
    case CalcMrge:
        if (isNode && CalcMergeNodesWithin(Net, E.Node, double(n), Ops, Host) > 0) LinkReach = -1;
        return;
    case CalcSmrg:
        if (isNode && CalcMergeIntoShapePoint(Net, E.Node, double(n), Ops)) Host.EnableUndelete();
        return;
    case CalcPdel:
        if (isNode) CalcDeletePolygon(Net, E.Node);
        return;
    case CalcFlip:
        if (isLink && Ops.FlipLink) Ops.FlipLink(Net, E.Link);
        return;
    case CalcBeep: Host.Beep(); return;
    case CalcRedo: Redo = true; return;
    case CalcDraw:
        Host.Repaint();
        ProcessMessages(true);
        return;
    case CalcFuse:
        if (isNode && Ops.SpliceLinksAtNode) {
            Ops.SpliceLinksAtNode(Net, E.Node);
            LinkReach = -1; // the joined link may reach further
            Host.EnableUndelete();
        }
        return;
    case CalcLnkx:
        if (isLink && Ops.IntersectLink) Ops.IntersectLink(Net, E.Link, LinkReach);
        return;
    case CalcDele:
        if (isNode && Ops.DeleteNode) {
            Ops.DeleteNode(Net, E.Node);
            Host.EnableUndelete();
        } else if (isLink && Ops.DeleteLink) {
            Ops.DeleteLink(Net, E.Link);
            Host.EnableUndelete();
        }
        return;
    case CalcClkw:
    case CalcCclk:
        if (isNode) CalcOrientPolygon(Net, E.Node, code == CalcClkw);
        return;
    default: return;
    }
}

void TCalcEngine::RunLines(int first, int last)
{
    First = first;
    Last = last;
    Line = first;
    Pos = 0;
    Started = false;
    Done = first > last;
    while (!Done) {
        if (Stopped()) return;
        if (!Started) {
            if (Options.StepByStep) Lines->Texts[size_t(Line)] = SplitRelationLine(Program.CalcLines[size_t(Line)]);
            if (LineStatements(Line).empty()) {
                if (Call) {
                    EndCallPass();
                    continue;
                }
                if (Line < Last) {
                    ++Line;
                    ProcessMessages();
                    continue;
                }
                Done = true;
                break;
            }
            Started = true;
            Execute = true;
            Program.Variables[0] = Ctx.Variables[0] = 1;
        }
        const auto& statements = LineStatements(Line);
        if (std::size_t(Pos) >= statements.size()) {
            if (Call) {
                EndCallPass();
                continue;
            }
            ++Line;
            Pos = 0;
            Started = false;
            if (Line > Last) {
                Done = true;
                break;
            }
            ProcessMessages();
            continue;
        }
        const int index = Pos++;
        switch (statements[size_t(index)].After) {
        case ConjElse:
            if (Ctx.Variables[0] == 0) {
                Program.Variables[0] = Ctx.Variables[0] = 1;
                Execute = true;
            } else {
                Program.Variables[0] = Ctx.Variables[0] = 0;
                Execute = false;
            }
            break;
        case ConjAlso:
            Program.Variables[0] = Ctx.Variables[0] = 0;
            Execute = true;
            break;
        default: break;
        }
        const TCalcStatement& st = Statement(Line, index);
        if (st.ParseError) {
            Error = true;
            continue;
        }
        if (st.Code == CalcNone) continue;
        if (st.Code <= CalcLayer) Assign(st);
        else Command(st);
    }
}

bool TCalcEngine::CalculateEntity(int kind, TNode* node, TLink* link, int classNo)
{
    Error = false;
    Done = false;
    Call.reset();
    LoadEntity(kind, node, link, classNo);
    ProcessMessages();
    if (Stopped()) return true;
    if (classNo < 1 || classNo > CalcLineCount) return true;
    const TCalcRanges& ranges = Program.CalcRanges[size_t(kind)];
    const int first = ranges.Begin[size_t(classNo)], last = ranges.End[size_t(classNo)];
    if (first < 1 || first > CalcLineCount || last < 1 || last > CalcLineCount) return true;

    TCalcEntityView view;
    view.Kind = kind;
    view.ClassNo = classNo;
    view.Node = E.Node;
    view.Link = E.Link;
    view.Slots = E.Slots.data() + 1;
    view.Count = E.AttributeCount;
    view.UnitsFactor = Options.View && Options.View->Settings ? Options.View->Settings->UnitsFactor : 1.0;
    // Without a parameter string, tables or sets the operands are the class
    // and zeros: loaded once while the class stays the same.
    const bool plain = !Usage.LookupTables && !Usage.LinkEnds && !Usage.PolygonOwners &&
                       Program.CalcParameters[size_t(kind)][size_t(classNo)].empty();
    if (!plain || PlainOperands != classNo) {
        LoadBuiltInOperands(Net, Program, Usage, view, Operands);
        for (int i = 0; i < CalcOperandCount; ++i) Ctx.Parameters[size_t(i)] = Operands[size_t(i)];
        PlainOperands = plain ? classNo : -1;
    }
    if (kind == CalcKindNode) ++Counts.Nodes;
    else if (kind == CalcKindLink) ++Counts.Links;
    else ++Counts.Systems;

    RunLines(first, last);
    // END or STOP inside a DO loop: the element of the pass keeps its values
    // and the entity that started the loop comes back.
    if (Call && Call->Code != CalcCall) {
        WriteBack();
        E = Call->Saved;
        StringsLoaded = true;
        SyncContext();
    }
    Call.reset();
    return !Error;
}
