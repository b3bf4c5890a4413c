// dbf-dump TABLE: prints a dBase table as the table engine reads it:
//   version V records N fields F
//   field NAME TYPE WIDTH DECIMALS        (one line per field)
//   1*<TAB>value<TAB>value...             (one line per record; "*" when deleted)
// Values are GetField's texts with TAB, CR, LF and backslash written as \t,
// \r, \n and \\; a memo that cannot be read shows "!" and the error. A table
// the engine refuses prints the error and exits 1.
#include <iostream>
#include <string>

#include "core/tables/XBase.h"

namespace {

std::string Escaped(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\\': out += "\\\\"; break;
        default: out += c;
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: dbf-dump TABLE\n";
        return 2;
    }
    try {
        TXBase table;
        table.SetFilename(argv[1]);
        if (!table.Active()) throw EXBaseException("Data File Not Open");
        std::cout << "version " << int(table.Version()) << " records " << table.RecordCount() << " fields "
                  << table.FieldCount() << '\n';
        for (int i = 1; i <= table.FieldCount(); ++i) {
            const TXBaseField& f = table.Field(i);
            std::cout << "field " << f.Name << ' ' << f.Type << ' ' << f.Width << ' ' << f.Decimals << '\n';
        }
        for (int32_t r = 1; r <= table.RecordCount(); ++r) {
            table.SetRecno(r);
            std::string line = std::to_string(r);
            if (table.Deleted()) line += '*';
            for (int i = 1; i <= table.FieldCount(); ++i) {
                line += '\t';
                try {
                    line += Escaped(table.GetField(i));
                } catch (const EXBaseException& e) {
                    line += "!" + Escaped(e.what());
                }
            }
            std::cout << line << '\n';
        }
    } catch (const EXBaseException& e) {
        std::cout << e.what() << '\n';
        return 1;
    }
    return 0;
}
