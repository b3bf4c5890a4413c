#include "core/tables/XBase.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const HeaderError = "Error Reading Header Info.";
const char* const MemoError = "Error Reading Memo Record";
const char* const WriteError = "Error Writing Record";
const char* const NotOpen = "Data File Not Open";
const char* const OutOfRange = "Record Number Out of Range";
const char* const BadField = "Invalid Field Number";

constexpr int MemoBlock = 512;
// The largest block number whose offset fits a file offset.
constexpr int64_t MaxMemoBlock = INT64_MAX / MemoBlock - 1;

uint32_t GetU32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t GetU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
void PutU32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
void PutU16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

bool ReadAll(int fd, int64_t off, void* p, size_t n, size_t& got)
{
    got = 0;
    auto* c = static_cast<char*>(p);
    while (got < n) {
        ssize_t r = ::pread(fd, c + got, n - got, off + int64_t(got));
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (r == 0) break;
        got += size_t(r);
    }
    return true;
}

bool WriteAll(int fd, int64_t off, const void* p, size_t n)
{
    auto* c = static_cast<const char*>(p);
    size_t done = 0;
    while (done < n) {
        ssize_t r = ::pwrite(fd, c + done, n - done, off + int64_t(done));
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (r == 0) return false;
        done += size_t(r);
    }
    return true;
}

int64_t FileSize(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0) return -1;
    return int64_t(st.st_size);
}

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Opens read-write, or read-only when the file may not be written.
int OpenFile(const std::string& path, bool& writable)
{
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    writable = fd >= 0;
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return fd;
}

std::string_view TrimRight(std::string_view s)
{
    size_t n = s.size();
    while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\0')) --n;
    return s.substr(0, n);
}

void TodayInto(uint8_t* p)
{
    std::time_t now = std::time(nullptr);
    std::tm t {};
    localtime_r(&now, &t);
    p[0] = uint8_t(std::clamp(t.tm_year, 0, 255));
    p[1] = uint8_t(t.tm_mon + 1);
    p[2] = uint8_t(t.tm_mday);
}

} // namespace

// A window of the data file held in memory: reads are served from it and
// writes collect in it until it is flushed or must move.
class TXBase::TFileWindow {
public:
    TFileWindow(int fd, bool writable) : Writable(writable), Fd(fd) { Size = std::max<int64_t>(0, FileSize(fd)); }
    ~TFileWindow() { ::close(Fd); }

    int64_t Size = 0;
    bool Writable;

    // Bytes past the end of the file read as zeros; returns how many were there.
    size_t Read(int64_t off, void* p, size_t n)
    {
        if (!Holds(off, n)) {
            Flush();
            Start = off;
            const int64_t avail = std::max<int64_t>(0, Size - off);
            const size_t want = size_t(std::min<int64_t>(std::max<int64_t>(int64_t(n), ReadChunk), avail));
            Buf.resize(want);
            size_t got = 0;
            if (!ReadAll(Fd, off, Buf.data(), want, got)) got = 0;
            Buf.resize(got);
        }
        const size_t have = size_t(std::min<int64_t>(int64_t(n), int64_t(Buf.size()) - (off - Start)));
        std::memcpy(p, Buf.data() + (off - Start), have);
        if (have < n) std::memset(static_cast<char*>(p) + have, 0, n - have);
        return have;
    }

    void Write(int64_t off, const void* p, size_t n)
    {
        if (!Writable) throw EXBaseException(WriteError);
        const bool inside = off >= Start && off <= Start + int64_t(Buf.size()) &&
                            off + int64_t(n) - Start <= MaxWindow;
        if (!inside) {
            Flush();
            Start = off;
            Buf.clear();
        }
        const size_t at = size_t(off - Start);
        if (Buf.size() < at + n) Buf.resize(at + n);
        std::memcpy(Buf.data() + at, p, n);
        Dirty = true;
        Written = true;
        Size = std::max(Size, off + int64_t(n));
    }

    // Puts what was written on the disk before the file is closed.
    void Sync()
    {
        if (Written && ::fsync(Fd) != 0 && errno != EINVAL && errno != EROFS) throw EXBaseException(WriteError);
        Written = false;
    }

    void Flush()
    {
        if (!Dirty) return;
        Dirty = false;
        if (!WriteAll(Fd, Start, Buf.data(), Buf.size())) {
            Buf.clear();
            throw EXBaseException(WriteError);
        }
    }

private:
    bool Holds(int64_t off, size_t n) const { return off >= Start && off + int64_t(n) <= Start + int64_t(Buf.size()); }

    static constexpr int64_t ReadChunk = 1 << 18;
    static constexpr int64_t MaxWindow = 1 << 20;
    int Fd;
    int64_t Start = 0;
    std::vector<char> Buf;
    bool Dirty = false;
    bool Written = false;
};

TXBase::TXBase() = default;

TXBase::~TXBase()
{
    try {
        Flush();
    } catch (...) {
    }
    CloseFiles();
}

bool IsDBaseThreeVersion(uint8_t version)
{
    return version == 0x03 || version == 0x83 || version == 0x84;
}

std::string XBaseFileStem(std::string_view fileName)
{
    std::string name(fileName);
    const size_t slash = name.find_last_of('/');
    const size_t dot = name.find('.', slash == std::string::npos ? 0 : slash + 1);
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

void TXBase::SetFilename(std::string_view fileName)
{
    if (Active()) Close();
    Name = XBaseFileStem(fileName);
    Open();
}

void TXBase::SetActive(bool active)
{
    if (active == Active()) return;
    if (active)
        Open();
    else
        Close();
}

void TXBase::Open()
{
    if (Active() || Name.empty() || !FileExists(DataFileName())) return;
    bool writable = false;
    int fd = OpenFile(DataFileName(), writable);
    if (fd < 0) throw EXBaseException(HeaderError);
    Data = std::make_unique<TFileWindow>(fd, writable);
    try {
        ReadHeader();
    } catch (...) {
        CloseFiles();
        Fields.clear();
        throw;
    }
    if (HasMemoFile() && FileExists(MemoFileName())) {
        bool memoWritable = false;
        MemoFd = OpenFile(MemoFileName(), memoWritable);
        MemoHeader.assign(MemoBlock, 0);
        size_t got = 0;
        if (MemoFd >= 0) ReadAll(MemoFd, 0, MemoHeader.data(), MemoBlock, got);
    }
    if (Records > 0) ReadRecord(1);
}

void TXBase::ReadHeader()
{
    const int64_t size = Data->Size;
    if (size < 32) throw EXBaseException(HeaderError);
    uint8_t head[32];
    Data->Read(0, head, 32);
    // dBase III: 3 without memo, 0x83 and 0x84 with a .dbt memo file. FoxBase,
    // FoxPro and dBase IV tables lay out their headers, types and memos
    // otherwise and are refused whole.
    if (!IsDBaseThreeVersion(head[0])) throw EXBaseException(HeaderError);
    const uint32_t count = GetU32(head + 4);
    const int32_t headerLength = GetU16(head + 8);
    const int32_t recordLength = GetU16(head + 10);
    if (headerLength < 65 || headerLength > size) throw EXBaseException(HeaderError);

    std::vector<uint8_t> h(static_cast<size_t>(headerLength));
    Data->Read(0, h.data(), h.size());
    std::vector<TXBaseField> fields;
    for (int i = 1; 32 * i + 32 <= headerLength; ++i) {
        const uint8_t* d = h.data() + 32 * i;
        if (d[0] == 0x0D) break;
        if (int(fields.size()) >= MaxFields) throw EXBaseException(HeaderError);
        TXBaseField f;
        size_t len = 0;
        while (len < 11 && d[len] != 0) ++len;
        f.Name.assign(reinterpret_cast<const char*>(d), len);
        f.Type = char(d[11]);
        if (f.Type == 'F') f.Type = 'N';
        if (!std::strchr("CDNLM", f.Type) || f.Type == 0) throw EXBaseException(HeaderError);
        f.Width = d[16];
        f.Decimals = d[17];
        if (f.Width == 0) throw EXBaseException(HeaderError);
        fields.push_back(std::move(f));
    }
    if (fields.empty()) throw EXBaseException(HeaderError);
    int64_t sum = 1;
    for (const TXBaseField& f : fields) sum += f.Width;
    if (sum > recordLength) throw EXBaseException(HeaderError);

    VersionByte = head[0];
    HeaderBytes = headerLength;
    RecordBytes = recordLength;
    Fields = std::move(fields);
    ComputeOffsets();
    // A table cut short (a copy or a write that stopped) is refused rather
    // than read short: its header promises records the file does not hold.
    const int64_t whole = (size - headerLength) / recordLength;
    if (int64_t(count) > whole || int64_t(count) > int64_t(INT32_MAX)) throw EXBaseException(HeaderError);
    Records = int32_t(count);
    CurrentRecord = 0;
    Buffer.assign(size_t(RecordBytes), ' ');
    Dirty = false;
    HeaderDirty = false;
}

void TXBase::ComputeOffsets()
{
    int offset = 1;
    for (TXBaseField& f : Fields) {
        f.Offset = offset;
        offset += f.Width;
    }
}

void TXBase::CloseFiles() noexcept
{
    Data.reset();
    if (MemoFd >= 0) ::close(MemoFd);
    MemoFd = -1;
    MemoHeaderDirty = false;
    HeaderDirty = false;
    CurrentRecord = 0;
    Records = 0;
    Dirty = false;
}

void TXBase::Flush()
{
    if (!Data) return;
    Data->Flush();
    if (HeaderDirty) {
        HeaderDirty = false;
        WriteHeader();
        Data->Flush();
    }
    if (MemoHeaderDirty && MemoFd >= 0) {
        MemoHeaderDirty = false;
        if (!WriteAll(MemoFd, 0, MemoHeader.data(), MemoHeader.size())) throw EXBaseException(WriteError);
    }
}

void TXBase::Close()
{
    if (!Data) return;
    try {
        Flush();
        Data->Sync();
    } catch (...) {
        CloseFiles();
        throw;
    }
    CloseFiles();
}

void TXBase::WriteHeader()
{
    // Date and count only: the rest of a header read from a file stays as it was.
    uint8_t part[7];
    TodayInto(part);
    PutU32(part + 3, uint32_t(Records));
    Data->Write(1, part, sizeof part);
}

void TXBase::RequireOpen() const
{
    if (!Data) throw EXBaseException(NotOpen);
}

bool TXBase::Allowed(const TXBEvent& event)
{
    bool allow = true;
    if (event) event(*this, allow);
    return allow;
}

void TXBase::ReadRecord(int32_t recno)
{
    Buffer.resize(size_t(RecordBytes));
    if (Data->Read(RecordOffset(recno), Buffer.data(), Buffer.size()) < Buffer.size())
        std::fill(Buffer.begin(), Buffer.end(), ' ');
    CurrentRecord = recno;
    Dirty = false;
}

void TXBase::MoveTo(int32_t recno)
{
    if (Allowed(OnChanging)) ReadRecord(recno);
}

void TXBase::SetRecno(int32_t recno)
{
    RequireOpen();
    if (recno < 1 || recno > Records) throw EXBaseException(OutOfRange);
    MoveTo(recno);
}

void TXBase::NextRecord()
{
    RequireOpen();
    if (CurrentRecord >= Records) return;
    if (!Allowed(OnChanging)) return;
    int32_t r = CurrentRecord;
    do {
        ReadRecord(++r);
    } while (SkipDeleted && Deleted() && r < Records);
}

void TXBase::LastRecord()
{
    RequireOpen();
    if (Records < 1 || !Allowed(OnChanging)) return;
    int32_t r = Records;
    ReadRecord(r);
    while (SkipDeleted && Deleted() && r >= 2) ReadRecord(--r);
}

void TXBase::SetDeleted(bool deleted)
{
    if (!Data || Buffer.empty()) return;
    Buffer[0] = deleted && Allowed(OnDeleting) ? '*' : ' ';
    Dirty = true;
}

// ---------------------------------------------------------------- fields

void TXBase::AddField(int index, std::string_view name, char type, int width, int decimals)
{
    if (index < 1 || index > FieldCount() + 1 || index > MaxFields) throw EXBaseException(BadField);
    TXBaseField f;
    f.Name = std::string(name.substr(0, 11));
    f.Type = type;
    f.Width = std::clamp(width, 1, 255);
    f.Decimals = std::clamp(decimals, 0, 255);
    if (index == FieldCount() + 1)
        Fields.push_back(std::move(f));
    else
        Fields[size_t(index - 1)] = std::move(f);
    ComputeOffsets();
}

void TXBase::SetFieldDecimals(int index, int decimals)
{
    if (index >= 1 && index <= FieldCount()) Fields[size_t(index - 1)].Decimals = std::clamp(decimals, 0, 255);
}

void TXBase::SetFieldName(int index, std::string_view name)
{
    if (index >= 1 && index <= FieldCount()) Fields[size_t(index - 1)].Name = std::string(name.substr(0, 11));
}

const TXBaseField& TXBase::Field(int index) const
{
    if (index < 1 || index > FieldCount()) throw EXBaseException(BadField);
    return Fields[size_t(index - 1)];
}

int TXBase::FieldTypeCode(int index) const
{
    if (index < 1 || index > FieldCount()) throw EXBaseException("Invalid Field Number: " + std::to_string(index));
    switch (Fields[size_t(index - 1)].Type) {
    case 'C': return 1;
    case 'D': return 2;
    case 'N': case 'F': return 3;
    case 'L': return 4;
    case 'M': return 5;
    default: return 0;
    }
}

void TXBase::CreateTable()
{
    if (Active()) Close();
    RecordBytes = 1;
    for (const TXBaseField& f : Fields) RecordBytes += f.Width;
    HeaderBytes = 32 * FieldCount() + 33;
    if (RecordBytes > 65535 || HeaderBytes > 65535) throw EXBaseException(WriteError);
    ComputeOffsets();
    int fd = ::open(DataFileName().c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) throw EXBaseException(WriteError);
    Data = std::make_unique<TFileWindow>(fd, true);
    VersionByte = 3;
    Records = 0;
    CurrentRecord = 0;
    Buffer.assign(size_t(RecordBytes), ' ');
    Dirty = false;
    std::vector<uint8_t> head(32, 0);
    head[0] = VersionByte;
    TodayInto(head.data() + 1);
    PutU16(head.data() + 8, uint16_t(HeaderBytes));
    PutU16(head.data() + 10, uint16_t(RecordBytes));
    try {
        Data->Write(0, head.data(), head.size());
        WriteFieldDescriptors(false);
        const char eof = 0x1A;
        Data->Write(HeaderBytes, &eof, 1);
        Data->Flush();
    } catch (...) {
        CloseFiles();
        throw;
    }
}

void TXBase::WriteFieldDescriptors(bool freeStream)
{
    RequireOpen();
    std::vector<uint8_t> d(size_t(32 * FieldCount() + 1), 0);
    for (int i = 0; i < FieldCount(); ++i) {
        const TXBaseField& f = Fields[size_t(i)];
        uint8_t* p = d.data() + 32 * i;
        std::memcpy(p, f.Name.data(), std::min<size_t>(f.Name.size(), 11));
        p[11] = uint8_t(f.Type);
        PutU32(p + 12, uint32_t(f.Offset + 1));
        p[16] = uint8_t(f.Width);
        p[17] = uint8_t(f.Decimals);
    }
    d.back() = 0x0D;
    Data->Write(32, d.data(), d.size());
    if (freeStream) Close();
}

std::string TXBase::GetField(int index)
{
    if (!Data) return {};
    const TXBaseField& f = Field(index);
    std::string_view text = TrimRight(std::string_view(Buffer.data() + f.Offset, size_t(f.Width)));
    if (f.Type != 'M') return std::string(text);
    // The memo's block number; anything but a number reads as no memo.
    int64_t block = 0;
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i == text.size()) return {};
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return {};
        block = block * 10 + (text[i] - '0');
        // No memo file holds a block this far out; stop before the number overflows.
        if (block > MaxMemoBlock) throw EXBaseException(MemoError);
    }
    if (block < 1) return {};
    return ReadMemo(block);
}

void TXBase::PutField(int index, std::string_view text)
{
    if (!Data) return;
    const TXBaseField& f = Field(index);
    std::string value;
    if (f.Type == 'M') {
        value = std::to_string(WriteMemo(text));
    } else {
        value = std::string(TrimRight(text));
    }
    if (int(value.size()) > f.Width) throw EXBaseException("Data Overflow");
    char* p = Buffer.data() + f.Offset;
    const size_t pad = size_t(f.Width) - value.size();
    if (f.Type == 'N' || f.Type == 'M') {
        std::memset(p, ' ', pad);
        std::memcpy(p + pad, value.data(), value.size());
    } else {
        std::memcpy(p, value.data(), value.size());
        std::memset(p + value.size(), ' ', pad);
    }
    Dirty = true;
}

// ---------------------------------------------------------------- records

void TXBase::AppendBlankRecord()
{
    RequireOpen();
    if (Records == INT32_MAX) throw EXBaseException(WriteError);
    const int32_t recno = Records + 1;
    std::vector<char> blank(size_t(RecordBytes) + 1, ' ');
    blank.back() = 0x1A;
    Data->Write(RecordOffset(recno), blank.data(), blank.size());
    Records = recno;
    HeaderDirty = true;
    if (MoveOnAppend && Allowed(OnChanging)) {
        Buffer.assign(size_t(RecordBytes), ' ');
        CurrentRecord = recno;
        Dirty = false;
    }
    if (OnAppended) OnAppended(*this);
}

void TXBase::WriteRecord()
{
    RequireOpen();
    if (CurrentRecord < 1 || CurrentRecord > Records) throw EXBaseException(OutOfRange);
    Data->Write(RecordOffset(CurrentRecord), Buffer.data(), Buffer.size());
    if (HasMemoFile() && MemoFd >= 0) MemoHeaderDirty = true;
    HeaderDirty = true;
    Dirty = false;
}

// ---------------------------------------------------------------- memos

std::string TXBase::ReadMemo(int64_t block)
{
    if (MemoFd < 0 || block > MaxMemoBlock) throw EXBaseException(MemoError);
    const int64_t size = FileSize(MemoFd);
    int64_t off = block * MemoBlock;
    if (size < 0 || off >= size) throw EXBaseException(MemoError);
    std::string text;
    char chunk[MemoBlock];
    // The text ends at its first 0x1A, in whichever block, or at the end of the file.
    while (off < size) {
        size_t got = 0;
        if (!ReadAll(MemoFd, off, chunk, MemoBlock, got)) throw EXBaseException(MemoError);
        if (got == 0) break;
        const void* end = std::memchr(chunk, 0x1A, got);
        const size_t n = end ? size_t(static_cast<const char*>(end) - chunk) : got;
        text.append(chunk, n);
        if (end || got < MemoBlock) break;
        off += MemoBlock;
    }
    for (char& c : text)
        if (uint8_t(c) == 0x8D) c = 13;
    return text;
}

int64_t TXBase::WriteMemo(std::string_view text)
{
    if (MemoFd < 0 || MemoHeader.size() < 4) throw EXBaseException(WriteError);
    int64_t block = GetU32(MemoHeader.data());
    if (block < 1) block = 1;
    std::string bytes(text);
    bytes += "\x1A\x1A";
    if (!WriteAll(MemoFd, block * MemoBlock, bytes.data(), bytes.size())) throw EXBaseException(WriteError);
    const int64_t next = block + (int64_t(bytes.size()) + MemoBlock - 1) / MemoBlock;
    if (next > int64_t(UINT32_MAX)) throw EXBaseException(WriteError);
    PutU32(MemoHeader.data(), uint32_t(next));
    MemoHeaderDirty = true;
    return block;
}
