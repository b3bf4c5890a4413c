// The entity-class section reader on arbitrary bytes: it must not crash or
// hang, must leave consistent records, and what it accepted must write and
// read back.
#include "core/file/EntityClassSection.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static const int versions[] = {1, 3, 4, 5, 6, 7, 8, 9};
    const int version = versions[data[0] % 8];
    TTextReader in(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    TFileContext ctx;
    ctx.InFile = &in;
    ctx.ReadVersion = version;
    TEntityClass classes;
    ReadEntityClasses(ctx, classes);
    for (int c = 0; c <= MaxClasses; ++c) {
        const TClassRecord& r = classes[c];
        if (r.AttributeCount < 0 || r.AttributeCount > MaxAttributes)
            std::abort();
        for (int i = 1; i <= r.AttributeCount; ++i)
            if (!r.Attr(i) || r.Attr(i)->TopRow > MaxWorkSheetRow || (r.Attr(i)->TopRow > 0 && !r.Attr(i)->WorkSheet))
                std::abort();
    }
    if (ctx.ErrorCode != 0)
        return 0;

    TTextWriter out;
    TFileContext wctx;
    wctx.OutFile = &out;
    wctx.WriteVersion = version;
    WriteEntityClasses(wctx, classes);
    if (wctx.ErrorCode != 0)
        return 0; // a value read from the file that cannot be written back
    TTextReader again(out.Text());
    TFileContext rctx;
    rctx.InFile = &again;
    rctx.ReadVersion = version;
    TEntityClass back;
    ReadEntityClasses(rctx, back);
    if (rctx.ErrorCode != 0)
        std::abort();
    return 0;
}
