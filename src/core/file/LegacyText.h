// Line-oriented text files of the program: the network file and the other
// settings files. A reader works over the file's bytes in memory, read in
// blocks as the parse reaches them (what lies past the last byte parsed is
// never read); a writer
// fills a buffer that goes to memory or, through a temporary file, atomically
// to disk. Text is bytes (Windows-1252). Readers accept CRLF, LF and a lone CR
// as line ends, and a line end never reaches a value; writers end lines with
// CRLF.
//
// Number conventions shared by every section:
//   integers: plain decimal, no padding;
//   reals:    width 23, a blank or "-", one digit, ".", 14 digits, "E", the
//             exponent's sign and four digits (" 2.00000000000000E+0004").
// Number parsing is strict decimal: "nan", "inf", hex and the like are errors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <initializer_list>
#include <string>
#include <string_view>
#include <memory>
#include <utility>

// A read failed: a malformed number, or the file ended where more was needed.
class TFileReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A write failed: the disk refused the bytes, or a value cannot be written
// (a real that is not finite).
class TFileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// ---------------------------------------------------------------------------
// Strict number texts

// Parses a whole text as a decimal real: optional blanks (and line-end
// characters) around, an optional sign, digits with an optional '.', an
// optional exponent ("E", optional sign, digits). Values too large for a
// double fail; values too small become 0. No nan, inf or hex.
bool ParseReal(std::string_view text, double& value);

// Parses a whole text as a decimal integer (optional blanks around, an
// optional sign, digits) that fits in the result type.
bool ParseInt(std::string_view text, int32_t& value);
bool ParseInt64(std::string_view text, int64_t& value);

// The width-23 form of a finite real; false (and out unchanged) for NaN or an
// infinity. Negative zero is written as zero.
bool FormatReal23(double value, char (&out)[23]);
std::string Real23Text(double value); // "" for a value that is not finite

// ---------------------------------------------------------------------------
// Reader

class TTextReader {
public:
    // A file's bytes are read ReadBlock at a time into a window of
    // WindowRoom bytes.
    static constexpr std::size_t ReadBlock = std::size_t(1) << 20;
    static constexpr std::size_t WindowRoom = 4 * ReadBlock;

    TTextReader() = default;
    explicit TTextReader(std::string bytes) { SetBytes(std::move(bytes)); }
    ~TTextReader();
    TTextReader(const TTextReader&) = delete;
    TTextReader& operator=(const TTextReader&) = delete;

    // Opens a regular file for reading; its bytes are read in blocks as the
    // parse reaches them, into a window of a few megabytes that keeps only
    // what the parse has not passed, so that a file of any size is read in
    // little memory. A view (ReadTextView, ReadLineView) stays valid until
    // the next call on the reader. Anything but a regular file (a folder, a
    // FIFO, a device) is refused. On failure returns false with a reason in
    // error and leaves the reader empty.
    bool LoadFile(const std::string& path, std::string& error);
    void SetBytes(std::string bytes);

    // End of the file: no byte left.
    bool Eof() const { return Pos >= Len && !More(); }
    // Skips blanks, tabs and line ends; true when nothing else is left.
    bool SeekEof();
    // At a line end or at the end of the file.
    bool Eoln() const;
    // Skips blanks and tabs; true at a line end or at the end of the file.
    bool SeekEoln();

    // Numbers skip blanks, tabs and line ends before them and end before the
    // next blank, tab or line end, which stays unread. A malformed token or
    // the end of the file throws TFileReadError.
    int32_t ReadInt();
    int64_t ReadInt64();
    double ReadReal();

    // Record lines in one step, for the readers of long files. Each reads
    // only a line of the plain form it names, exactly as the steps it stands
    // for would read it, and returns false, having read nothing, for any
    // other line: the caller then reads that line step by step (which gives
    // the step's error for a faulty one).
    // n integers in int32 range on the current line, blanks or tabs between
    // and after them, then the line end: as n calls of ReadInt and ReadLn.
    bool TryReadIntLine(int32_t* values, int n);
    // A line that, within its first width bytes, ends and holds one real
    // number (blanks or tabs around it): as ParseReal of ReadTextView(width),
    // then ReadLn.
    bool TryReadRealLine(std::size_t width, double& value);

    // One byte of the current line. At a line end it returns a blank and
    // consumes nothing; at the end of the file it throws.
    char ReadChar();
    // Up to n bytes of the current line (fewer when the line ends first); the
    // line end stays unread. Throws at the end of the file when n > 0.
    std::string ReadText(std::size_t n);
    std::string_view ReadTextView(std::size_t n);
    // ReadTextView(n), then ReadLn: up to n bytes of the current line, the
    // rest of the line and its end passed. The view stays valid until the
    // next call on the reader.
    std::string_view ReadTextLine(std::size_t n);
    // Like ReadText, the bytes discarded.
    void SkipChars(std::size_t n);
    // The rest of the current line; the line end is consumed. Throws at the
    // end of the file.
    std::string ReadLine();
    std::string_view ReadLineView();
    // As ReadLine, but false (and nothing read) at the end of the file.
    bool TryReadLine(std::string& line);
    // The first line when it ends within n bytes: false (and nothing read)
    // when it is longer or the file ends first. Used for tag lines, so that a
    // file of one endless line is refused after n bytes.
    bool TryReadShortLine(std::size_t n, std::string& line);
    // Skips the rest of the current line and its line end; does nothing at
    // the end of the file.
    void ReadLn();

    // Byte position and 1-based line number of the read position (the line
    // number is counted on demand, for messages).
    std::size_t Position() const { return Base + Pos; }
    std::size_t LineNumber() const;
    // Bytes not yet parsed (the file's size less the read position).
    std::size_t Remaining() const { return Expected > Base + Pos ? Expected - Base - Pos : 0; }
    // The whole file (read again from its start; the read position stays).
    // For a file on disk this is a copy of all its bytes, counted by
    // WholeCopies: not for use per record.
    const std::string& Bytes() const;
    std::size_t WholeCopies() const { return Copies; }

private:
    std::string_view NextToken(const char* what);
    // Reads on while fewer than n bytes lie ahead of the read position and
    // the file has more.
    void Ahead(std::size_t n) const;
    [[noreturn]] void Fail(const char* what) const;
    void SkipLineEnd();
    // Reads the next block of the file onto the bytes; false at its end.
    bool More() const;
    void CloseFile() const;
    // Holds the window's bytes from the read position for one step that
    // returns a view.
    struct TKeepFrom {
        const TTextReader& R;
        explicit TKeepFrom(const TTextReader& r) : R(r) { R.Keep = R.Pos; }
        ~TKeepFrom() { R.Keep = std::size_t(-1); }
    };

    // The bytes in hand: Buf[0..Len), which are the file's bytes from Base
    // on. Bytes given in memory are held in Owned (Base 0); a file's go into
    // Raw, a window of Room bytes that drops what lies before the current
    // step (Keep, else Pos) when it is full.
    mutable const char* Buf = "";
    mutable std::size_t Len = 0;
    std::string Owned;
    mutable std::unique_ptr<char[]> Raw;
    mutable std::size_t Room = 0;
    mutable std::size_t Base = 0;
    mutable std::size_t Keep = std::size_t(-1); // start of the view being read, or none
    mutable std::string Whole; // Bytes() of a file
    std::string Aside;         // the text of ReadTextLine when its line runs past the window
    mutable std::size_t Copies = 0;
    mutable std::size_t Pos = 0;
    mutable int Fd = -1;
    mutable std::size_t Expected = 0; // the file's size when opened
};

// ---------------------------------------------------------------------------
// Writer

// Writes into a memory buffer; after BeginFile the buffer goes to a
// temporary file beside the target, and Commit renames it over the target
// only when every step succeeded. Texts that users type (WriteText,
// WriteChar, WritePadded) have their CR and LF bytes replaced by blanks:
// lines are ended only by WriteLn. Writes after a failure are ignored; a
// failure throws TFileWriteError from the write that met it.
//
// Records that the program formats itself go straight into the buffer:
// Reserve room for the whole record once, put the bytes (Put* below), then
// Advance to the end of what was put.
class TTextWriter {
public:
    // A file's buffer goes to disk once it holds this many bytes.
    static constexpr std::size_t FlushThreshold = std::size_t(1) << 20;

    TTextWriter() = default;
    ~TTextWriter();
    TTextWriter(const TTextWriter&) = delete;
    TTextWriter& operator=(const TTextWriter&) = delete;

    // Starts writing to a temporary file in path's folder. False, with a
    // reason, when it cannot be created (nothing is changed on disk). Only a
    // regular file that the user may write, or a new name, is a target; a
    // symbolic link keeps the link and has its target replaced.
    bool BeginFile(const std::string& path, std::string& error);
    // Flushes, syncs and closes the temporary file, then renames it over the
    // target. False, with a reason, when any step fails; the old file is then
    // left as it was and the temporary file removed.
    bool Commit(std::string& error);
    // Drops the temporary file; the target is left as it was.
    void Abandon();

    // Commit in two steps, for a set of files that must change together:
    // Finish flushes, syncs and closes the temporary file (false, with a
    // reason, when a step fails: the temporary file is then removed), and
    // Install renames the finished file over the target.
    bool Finish(std::string& error);
    bool Install(std::string& error);
    // Takes a complete file that another writer made at tempPath, beside
    // path, as this writer's finished temporary file for path (the checks of
    // BeginFile apply to path). False, with a reason, when path may not be
    // replaced; tempPath is then removed.
    bool AdoptFinished(const std::string& tempPath, const std::string& path, std::string& error);
    // Finishes every writer's file, then, when all are whole, installs them
    // all: a failure while finishing changes none of the targets. False, with
    // a reason, after a failure; every file not installed is dropped.
    static bool CommitAll(std::initializer_list<TTextWriter*> writers, std::string& error);

    void WriteInt(int64_t value);
    // The width-23 form; a value that is not finite throws TFileWriteError and
    // writes nothing.
    void WriteReal(double value);
    void WriteText(std::string_view text);
    void WriteChar(char c);
    void WriteBlanks(std::size_t n);
    // The text cut or padded with blanks to exactly width bytes.
    void WritePadded(std::string_view text, std::size_t width);
    // A line of text and CRLF.
    void WriteLine(std::string_view text)
    {
        WriteText(text);
        WriteLn();
    }
    void WriteLn();
    // Bytes the program made (no line breaks), as they are.
    void WriteFixed(std::string_view bytes) { Append(bytes.data(), bytes.size()); }
    // Bytes as they are, line ends included (for whole files and binary data).
    void WriteRaw(std::string_view bytes) { Append(bytes.data(), bytes.size()); }

    // Room for n bytes at the write position (the buffer goes to the file
    // first when it is full); nullptr after a failure.
    char* Reserve(std::size_t n)
    {
        if (Buffer.size() - Used >= n) return Buffer.data() + Used;
        return Grow(n);
    }
    // The bytes up to end (within the room reserved) are written.
    void Advance(char* end)
    {
        if (!Failure) Used = std::size_t(end - Buffer.data());
    }

    bool Failed() const { return Failure; }
    const std::string& FailureText() const { return FailureReason; }

    // What was written, in memory mode (before BeginFile).
    const std::string& Text() const
    {
        Buffer.resize(Used);
        return Buffer;
    }
    bool ToFile() const { return Fd >= 0; }

private:
    void Append(const char* p, std::size_t n)
    {
        if (n == 0) return;
        if (char* w = Reserve(n)) {
            std::memcpy(w, p, n);
            Used += n;
        }
    }
    char* Grow(std::size_t n);
    void Flush();
    [[noreturn]] void SetFailed(std::string reason);
    // Drops any file begun or finished and clears the buffer and the failure.
    void StartAfresh();

    mutable std::string Buffer; // Used bytes written, the rest room
    std::size_t Used = 0;
    int Fd = -1;
    std::string TargetPath, TempPath;
    bool Finished = false; // the temporary file is whole and closed, waiting for Install
    bool Failure = false;
    std::string FailureReason;
};

// The call that makes a finished file durable (fsync by default; nullptr
// puts fsync back). Tests put one that fails in its place; the one replaced
// is returned.
using TFileSync = int (*)(int fd);
TFileSync ReplaceFileSync(TFileSync sync);

// Formatting into room reserved with TTextWriter::Reserve; each returns the
// end of what it put.
inline char* PutText(char* p, std::string_view s)
{
    if (!s.empty()) std::memcpy(p, s.data(), s.size());
    return p + s.size();
}
// At most 20 bytes.
char* PutInt(char* p, int64_t value);
inline char* PutLn(char* p)
{
    p[0] = '\r';
    p[1] = '\n';
    return p + 2;
}

// Writes bytes to path atomically: a temporary file in the same folder,
// flushed, synced and closed, then renamed over path. On failure the old file
// is left whole, error says why, and the result is false. Every file writer of
// the program saves through this routine or through TTextWriter::BeginFile.
bool AtomicWriteFile(const std::string& path, std::string_view bytes, std::string& error);

// ---------------------------------------------------------------------------
// File context

// Error codes of a file step.
constexpr int FileErrorNone = 0;
constexpr int FileErrorRead = 1;   // a read or parse failure
constexpr int FileErrorWrite = 2;  // a write failure
constexpr int FileErrorMemory = 30; // a record could not be allocated

// The state of one read or write of a file, owned by the call. Every section
// reader and writer does nothing once ErrorCode is set.
struct TFileContext {
    TTextReader* InFile = nullptr;
    TTextWriter* OutFile = nullptr;
    int ReadVersion = 0;
    int WriteVersion = 9;
    int ErrorCode = FileErrorNone;
    std::string ErrorDetail; // why the first failing step failed (for logs and tests)
};

// Runs one reading step unless ErrorCode is already set. A TFileReadError or
// any other failure sets ErrorCode 1; an allocation failure sets 30.
template <class F>
void GuardRead(TFileContext& ctx, F&& step)
{
    if (ctx.ErrorCode != FileErrorNone)
        return;
    try {
        std::forward<F>(step)();
    } catch (const std::bad_alloc&) {
        ctx.ErrorCode = FileErrorMemory;
        ctx.ErrorDetail = "out of memory";
    } catch (const std::exception& e) {
        ctx.ErrorCode = FileErrorRead;
        ctx.ErrorDetail = e.what();
    }
}

// Runs one writing step unless ErrorCode is already set. Any failure sets
// ErrorCode to failureCode (2 unless the section says otherwise).
template <class F>
void GuardWrite(TFileContext& ctx, F&& step, int failureCode = FileErrorWrite)
{
    if (ctx.ErrorCode != FileErrorNone)
        return;
    try {
        std::forward<F>(step)();
    } catch (const std::exception& e) {
        ctx.ErrorCode = failureCode;
        ctx.ErrorDetail = e.what();
    }
}
