// The dBase table reader on arbitrary bytes: the input is the .dbf and, when
// it holds the bytes "DBT:", what follows them is the .dbt. Opening, moving
// through every record and reading every field must end in the table's own
// errors, never in a crash, a hang or a read out of bounds; what it accepted
// reads records within the file.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "core/tables/XBase.h"

namespace {

const std::string Stem = "/tmp/fuzz_xbase_" + std::to_string(::getpid());

struct TRemoveAtExit {
    ~TRemoveAtExit()
    {
        ::unlink((Stem + ".dbf").c_str());
        ::unlink((Stem + ".dbt").c_str());
    }
};

void Write(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const TRemoveAtExit removeAtExit;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    const size_t split = bytes.find("DBT:");
    if (split != std::string::npos) {
        Write(Stem + ".dbt", bytes.substr(split + 4));
        bytes.resize(split);
    } else {
        ::unlink((Stem + ".dbt").c_str());
    }
    Write(Stem + ".dbf", bytes);
    try {
        TXBase t;
        t.SetFilename(Stem + ".dbf");
        if (!t.Active()) return 0;
        if (t.FieldCount() < 1 || t.FieldCount() > TXBase::MaxFields) std::abort();
        if (int64_t(t.HeaderLength()) + int64_t(t.RecordCount()) * t.RecordLength() > int64_t(bytes.size()))
            std::abort();
        for (int32_t r = 1; r <= t.RecordCount(); ++r) {
            if (r > 1) t.NextRecord();
            for (int i = 1; i <= t.FieldCount(); ++i) {
                try {
                    const std::string v = t.GetField(i);
                    if (t.Field(i).Type != 'M' && int(v.size()) > t.Field(i).Width) std::abort();
                } catch (const EXBaseException&) {
                }
            }
        }
        t.SkipDeleted = true;
        t.LastRecord();
    } catch (const EXBaseException&) {
    }
    return 0;
}
