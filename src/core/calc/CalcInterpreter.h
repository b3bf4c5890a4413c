// The Calculate interpreter: relation lines cut into statements, statements
// parsed into codes, and the engine that runs the statements of one entity
// (a node, a link, or the system at one stage).
#pragma once

#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "core/calc/CalcOperands.h"
#include "core/calc/CalcProgram.h"
#include "core/calc/CalcRun.h"
#include "core/expr/Expression.h"
#include "core/expr/ExpressionNetwork.h"
#include "core/model/EntityClasses.h"

class TNetwork;
class TNode;
struct TLink;

// Statement codes.
enum TCalcCode : int {
    CalcNone = 0,
    CalcAttribute = 1,
    CalcVariable = 2,
    CalcCondition = 3,
    CalcClass = 4,
    CalcLayer = 5,
    CalcCall = 7,
    CalcDols = 8,
    CalcDons = 9,
    CalcDovs = 10,
    CalcDoos = 11,
    CalcEnd = 12,
    CalcSkip = 13,
    CalcGoto = 14,
    CalcMrge = 15,
    CalcSmrg = 16,
    CalcPdel = 17,
    CalcFlip = 18,
    CalcBeep = 19,
    CalcRedo = 20,
    CalcDraw = 21,
    CalcFuse = 22,
    CalcLnkx = 23,
    CalcDele = 24,
    CalcStop = 25,
    CalcClkw = 26,
    CalcCclk = 27,
};

// The code of a four-letter command word (upper case), or 0.
int CalcCommandCode(std::string_view word4);

// Conjunctions that end a statement.
enum TCalcConjunction : uint8_t { ConjNone = 0, ConjElse, ConjThen, ConjAlso };

// One statement as cut from its line, with the conjunction that ended the
// statement before it (which acts on this one).
struct TCalcStatementText {
    std::string Text;
    TCalcConjunction After = ConjNone;
};

// Cuts a relation line into its statements: at ':' outside quotes and
// braces, and at the words ELSE, THEN and ALSO wherever they stand. An empty
// line gives no statement.
std::vector<TCalcStatementText> SplitRelationLine(const std::string& line);

// A statement parsed for one entity kind and class.
struct TCalcStatement {
    int Code = CalcNone;
    int Operand = 0;          // attribute 1..100 or variable 1..35
    bool ParseError = false;  // no code, or an assignment without '='
    std::string Text;         // the statement with its target upper-cased and aliases expanded
    std::string Expression;   // the text after the first '=', or a command's argument
    TPreparedExpression Prepared;
    bool IsPrepared = false;
};

// Parses Text for an entity of the kind (node, link, system) and class.
void ParseCalcStatement(const std::string& text, int kind, int classNo, const TExprEnvironment& env,
                        TCalcStatement& out);

// The working state of the entity being calculated.
struct TCalcEntity {
    int Kind = CalcKindSystem;
    TNode* Node = nullptr;
    TLink* Link = nullptr;
    int ClassNo = 0; // node or link class; the stage for the system
    int AttributeCount = 0;
    TValueArray Slots{};                        // [1..100]
    std::array<std::string, MaxAttributes + 1> Strings; // [1..100] by attribute number
    std::array<int32_t, MaxAttributes + 1> Kinds{};     // [1..100]: R 0, I -1, C 1..15, D 16, X 17, T 18, S 19
    int Layer = 0;
    int KindsOf = -1; // the (kind, class) whose attribute kinds Kinds holds
    bool HasStrings = false; // that class has 'S' attributes
};

// Runs entities for one Calculate run.
class TCalcEngine {
public:
    TCalcEngine(TNetwork& net, TCalcProgram& program, TCalcFlags& flags, TCalcHost& host, const TCalcEditOps& ops,
                const TCalcRunOptions& options);
    ~TCalcEngine();
    TCalcEngine(const TCalcEngine&) = delete;
    TCalcEngine& operator=(const TCalcEngine&) = delete;

    // Runs the statements of one entity: Node for kind 0, the half-edge for
    // kind 1, neither for the system (classNo is then the stage). True when
    // no statement had an error.
    bool CalculateEntity(int kind, TNode* node, TLink* link, int classNo);

    // Lets events through, at most once per interval unless forced.
    void ProcessMessages(bool force = false);
    bool Stopped() const { return Flags.CalcStop != 0; }

    TCalcSummary Counts;
    bool Redo = false;

private:
    struct Cache;
    struct Frame;
    // Attribute count and kinds of one class, worked out once per run.
    struct ClassInfo {
        bool Ready = false;
        bool HasStrings = false;
        int Count = 0;
        std::array<int32_t, MaxAttributes + 1> Kinds{};
    };

    void LoadEntity(int kind, TNode* node, TLink* link, int classNo);
    void SetKinds();
    const ClassInfo& InfoOf(int kind, int classNo);
    void WriteSlot(int k);
    void SyncContext();
    void WriteBack();
    void RunLines(int first, int last);
    const std::vector<TCalcStatementText>& LineStatements(int line);
    const TCalcStatement& Statement(int line, int index);
    const TCalcStatement& ParseStatement(int line, int index);
    bool Evaluate(const TCalcStatement& st, double& value);
    double EvaluateStepByStep(const TCalcStatement& st, const TExprElement& el, int32_t& err);
    bool EvaluateArgument(const TCalcStatement& st, int64_t& n);
    void Assign(const TCalcStatement& st);
    void ChangeClass(int64_t n);
    void Command(const TCalcStatement& st);
    bool StartLoop(int code, int line);
    bool NextLoopElement();
    void EndCallPass();

    TNetwork& Net;
    TCalcProgram& Program;
    TCalcFlags& Flags;
    TCalcHost& Host;
    const TCalcEditOps& Ops;
    TCalcRunOptions Options;
    TCalcUsage Usage;
    std::mt19937_64 Random;
    TExprBinding Binding;
    TExprEnvironment& Env;
    ExpressionContext Ctx;
    ExprStrings Strings{};
    TCalcOperands Operands{};
    TCalcEntity E;
    std::unique_ptr<Cache> Lines;
    std::array<std::array<ClassInfo, MaxClasses + 1>, 3> Infos{};
    bool StringsLoaded = true; // E.Strings may hold texts
    int64_t LinkReach = -1;    // longest link reach for LNKX; -1 = to be worked out

    // Line state of the entity.
    int Line = 0, Pos = 0, First = 0, Last = 0;
    bool Started = false, Execute = true, Error = false, Done = false;
    std::unique_ptr<Frame> Call; // set while a called line or a DO loop runs
    TCalcStatement Scratch;     // the statement being run, step by step
    // The parsed statements of one line for one kind and class (never set
    // step by step).
    std::array<const std::vector<TCalcStatement>*, CalcLineCount + 1> Plans{};
    int PlanKind = -1, PlanClass = -1;
    int PlainOperands = -1; // the class whose plain operands Ctx.Parameters holds
    std::chrono::steady_clock::time_point LastEvents;
    uint32_t EventTicks = 0;
};
