// TXBase: dBase III tables, the .dbf data file and, for tables with memo
// fields, the .dbt memo file. Extract creates tables with it, Update reads
// them field by field.
//
// The file name is kept without its extension; ".dbf" and ".dbt" are added
// when the files are opened. A table opened from disk is untrusted: its
// header is checked before anything is read: its version, its fields, and
// that the file holds every record the header counts (a table cut short is
// refused, not read short).
//
// Reads and writes go through a window of the data file held in memory, so
// that a walk over a million records, or a million appended records, costs no
// more than a handful of system calls. The header is rewritten when the table
// is flushed or closed, not after every record; Close (or Flush) reports a
// write failure, the destructor cannot.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Errors of the table engine. what() is one of the fixed messages:
// "Invalid Field Number", "Invalid Field Number: " and the index,
// "Data Overflow", "Record Number Out of Range", "Data File Not Open",
// "Error Reading Header Info.", "Error Reading Memo Record",
// "Error Writing Record".
class EXBaseException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One column of a table.
struct TXBaseField {
    std::string Name; // at most 11 characters
    char Type = 'C';  // C, D, N, L or M (F is read as N)
    int Width = 1;    // 1..255
    int Decimals = 0;
    int Offset = 1;   // position of the field's first byte in the record (the flag byte is 0)
};

// The version bytes of the tables read: 3, and 0x83 and 0x84 for tables with
// a memo file. Others (FoxBase, FoxPro, dBase IV) are "Error Reading Header
// Info.".
bool IsDBaseThreeVersion(uint8_t version);

// A table's name without its extension: the path with everything from the
// first "." of its file name on cut off.
std::string XBaseFileStem(std::string_view fileName);

class TXBase {
public:
    // An event that may refuse what is about to happen: Allow starts true.
    using TXBEvent = std::function<void(TXBase& table, bool& allow)>;

    static constexpr int MaxFields = 1000;

    TXBase();
    ~TXBase(); // closes the files; a failure of the last write is lost (call Close first)
    TXBase(const TXBase&) = delete;
    TXBase& operator=(const TXBase&) = delete;

    // The name without its extension: everything from the first "." of the
    // file's own name on is cut off ("/x.y/a.b.dbf" is "/x.y/a"). Setting it
    // closes an open table, then opens the new one when its .dbf exists.
    const std::string& Filename() const { return Name; }
    void SetFilename(std::string_view fileName);
    std::string DataFileName() const { return Name + ".dbf"; }
    std::string MemoFileName() const { return Name + ".dbt"; }

    // Opening happens only when the .dbf exists; a header that cannot be
    // trusted raises "Error Reading Header Info.". Deactivating flushes and
    // closes both files.
    bool Active() const { return Data != nullptr; }
    void SetActive(bool active);

    int32_t Recno() const { return CurrentRecord; }
    void SetRecno(int32_t recno);
    int32_t RecordCount() const { return Records; }
    int32_t FieldCount() const { return int32_t(Fields.size()); }
    uint8_t Version() const { return VersionByte; }
    int32_t HeaderLength() const { return HeaderBytes; }
    int32_t RecordLength() const { return RecordBytes; }
    bool Bof() const { return CurrentRecord == 1; }
    bool Eof() const { return CurrentRecord == Records; }
    // Whether the current record's flag byte is "*".
    bool Deleted() const { return !Buffer.empty() && Buffer[0] == '*'; }
    // True marks the record "*" when OnDeleting allows; otherwise, and for
    // false, " ". Written by WriteRecord.
    void SetDeleted(bool deleted);
    bool Modified() const { return Dirty; }

    bool MoveOnAppend = false;
    bool SkipDeleted = false;
    TXBEvent OnChanging;
    TXBEvent OnDeleting;
    TXBEvent OnPack; // no operation here raises it
    std::function<void(TXBase&)> OnAppended;

    // ---- defining and creating a table

    // Fills descriptor Index (1..FieldCount + 1): the name cut to 11
    // characters, the width to 1..255.
    void AddField(int index, std::string_view name, char type, int width, int decimals);
    void SetFieldDecimals(int index, int decimals);
    void SetFieldName(int index, std::string_view name);
    // Creates the .dbf (version 3, no record, today's date) from the fields
    // added so far and opens it. Raises "Error Writing Record" when the file
    // cannot be made.
    void CreateTable();
    // Writes descriptors 1..FieldCount and the 0x0D after the last one;
    // with freeStream the table is then flushed and closed.
    void WriteFieldDescriptors(bool freeStream);

    // ---- fields of the current record

    const TXBaseField& Field(int index) const; // "Invalid Field Number"
    // C 1, D 2, N 3 (and F), L 4, M 5; "Invalid Field Number: " and the index.
    int FieldTypeCode(int index) const;
    // The field's text without trailing blanks; for a memo field the memo
    // text (empty when the block number is below 1). Empty on a closed table.
    std::string GetField(int index);
    // Memo fields store the text as a new memo. Other fields: trailing blanks
    // removed, "Data Overflow" when longer than the width, N and M padded on
    // the left, the others on the right. Nothing on a closed table.
    void PutField(int index, std::string_view text);

    // ---- records

    // A record of blanks at the end (with MoveOnAppend, and when OnChanging
    // allows, it becomes the current record); then OnAppended.
    void AppendBlankRecord();
    // The record buffer to the current record; the memo header with it.
    void WriteRecord();
    // Moves when OnChanging allows. With SkipDeleted, NextRecord goes on past
    // deleted records while records remain, LastRecord goes back past them
    // while Recno >= 2. NextRecord on the last record stays there.
    void NextRecord();
    void LastRecord();

    // Writes what is buffered and, when it changed, the header. Raises
    // "Error Writing Record".
    void Flush();
    // Flush, then close (a failure still closes, then raises).
    void Close();

private:
    class TFileWindow;

    void Open();
    void CloseFiles() noexcept;
    void ReadHeader();
    void ComputeOffsets();
    void ReadRecord(int32_t recno);
    void WriteHeader();
    void RequireOpen() const;
    bool Allowed(const TXBEvent& event);
    void MoveTo(int32_t recno);
    int64_t RecordOffset(int32_t recno) const { return int64_t(HeaderBytes) + int64_t(recno - 1) * RecordBytes; }
    std::string ReadMemo(int64_t block);
    int64_t WriteMemo(std::string_view text);
    bool HasMemoFile() const { return VersionByte == 0x83 || VersionByte == 0x84; }

    std::string Name;
    std::unique_ptr<TFileWindow> Data;
    int MemoFd = -1;
    std::vector<uint8_t> MemoHeader; // 512 bytes
    bool MemoHeaderDirty = false;
    bool HeaderDirty = false;
    std::vector<TXBaseField> Fields;
    std::vector<char> Buffer; // the current record, flag byte first
    uint8_t VersionByte = 3;
    int32_t HeaderBytes = 0;
    int32_t RecordBytes = 0;
    int32_t Records = 0;
    int32_t CurrentRecord = 0;
    bool Dirty = false;
};
