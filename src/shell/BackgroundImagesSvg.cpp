#include "shell/BackgroundImagesSvg.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QStringDecoder>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

// A gzip stream inflated into Out, member after member (a file appended to
// another with gzip is one stream of two members); bytes after the last
// member that begin no other are left. False when a member is damaged or
// cut short, or the text would grow beyond Max bytes.
bool Inflate(const QByteArray& In, QByteArray& Out, int64_t Max)
{
    z_stream z{};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) return false;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(In.constData()));
    z.avail_in = uInt(In.size());
    Out.clear();
    char chunk[1 << 16];
    bool ok = true;
    for (;;) {
        z.next_out = reinterpret_cast<Bytef*>(chunk);
        z.avail_out = sizeof chunk;
        const int rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) {
            ok = false;
            break;
        }
        const qsizetype got = qsizetype(sizeof chunk - z.avail_out);
        if (int64_t(Out.size()) + got > Max) {
            ok = false;
            break;
        }
        Out.append(chunk, got);
        if (rc == Z_STREAM_END) {
            if (z.avail_in < 2 || z.next_in[0] != 0x1f || z.next_in[1] != 0x8b) break;
            if (inflateReset(&z) != Z_OK) {
                ok = false;
                break;
            }
        }
    }
    inflateEnd(&z);
    return ok;
}

// The part of a qualified name after its prefix.
QStringView Local(QStringView Name)
{
    const qsizetype colon = Name.lastIndexOf(u':');
    return colon < 0 ? Name : Name.mid(colon + 1);
}

// The pixels of a picture embedded as a "data:" address, read the way the
// renderer reads it (base64 after the last "base64,"); -1 when the address
// is not embedded, or holds no raster picture whose size is known (an
// embedded SVG could name files of its own).
int64_t EmbeddedPixels(const QString& Href)
{
    const QString h = Href.trimmed();
    if (!h.startsWith(QLatin1String("data"))) return -1;
    const qsizetype at = h.lastIndexOf(QLatin1String("base64,"));
    if (at < 0) return -1;
    QByteArray data = QByteArray::fromBase64(h.mid(at + 7).toLatin1());
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::ReadOnly)) return -1;
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    if (format.isEmpty() || format.startsWith("svg")) return -1;
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) return -1;
    return int64_t(size.width()) * size.height();
}

// Whether Text holds a surrogate that is not one of a pair (UTF-16 and
// UTF-32 decoders hand such code units on without a word).
bool HasLoneSurrogate(QStringView Text)
{
    for (qsizetype i = 0; i < Text.size(); ++i) {
        if (Text[i].isLowSurrogate()) return true;
        if (!Text[i].isHighSurrogate()) continue;
        if (i + 1 == Text.size() || !Text[i + 1].isLowSurrogate()) return true;
        ++i;
    }
    return false;
}

// The characters the XML reader takes Bytes for: in the encoding their first
// bytes show (a byte-order mark, or UTF-16 or UTF-32 by the '<' they begin
// with) or else UTF-8, unless the XML declaration names another, which the
// reader then reads them in. False when the declaration is refused, or a
// byte is not valid in the encoding (one the encoding does not know, an
// overlong or surrogate UTF-8 sequence, a sequence cut at the end, a
// surrogate without its pair): the reader refuses both the same way, where
// the decoded text would carry replacement characters instead.
bool DecodedText(const QByteArray& Bytes, QString& Text)
{
    QByteArray named;
    {
        QXmlStreamReader declaration(Bytes);
        if (declaration.readNext() != QXmlStreamReader::StartDocument) return false;
        named = declaration.documentEncoding().toUtf8();
    }
    // The whole text is decoded at once: a sequence left open at its end is a
    // fault too. The decoder is made where it decodes: one moved from
    // another loses count of the faults of the encodings that the system's
    // converters decode (US-ASCII among them).
    constexpr QStringConverter::Flags flags = QStringConverter::Flag::Stateless;
    QStringDecoder decoder = named.isEmpty()
        ? QStringDecoder(QStringConverter::encodingForData(Bytes, u'<').value_or(QStringConverter::Utf8), flags)
        : QStringDecoder(named.constData(), flags);
    if (!decoder.isValid()) return false;
    Text = decoder(Bytes);
    return !decoder.hasError() && !HasLoneSurrogate(Text);
}

// Whether no start tag of Text has more than the bound of attributes, its
// start tags together hold no more pairs of attributes than their bound, and
// its document type gives no attribute a default value. One pass over the
// text: a tag's attributes are counted by their '=' outside quoted values;
// comments, CDATA sections, processing instructions and the document type's
// literals are passed over. The reader stops at the first fault of a text,
// so the count need only be right as far as the text is well-formed.
bool AttributesWithinBounds(QStringView Text, const TDrawingLimits& Limits)
{
    const qsizetype n = Text.size();
    const auto at = [&](qsizetype i, const char* s) { return Text.sliced(i).startsWith(QLatin1String(s)); };
    // Just past the first Close from i; the end when there is none.
    const auto past = [&](qsizetype i, const char* close) {
        const QLatin1String c(close);
        const qsizetype k = Text.indexOf(c, i);
        return k < 0 ? n : k + c.size();
    };
    const auto quote = [&](qsizetype i) { return Text[i] == u'"' || Text[i] == u'\''; };
    const auto pastQuote = [&](qsizetype i) {
        const qsizetype k = Text.indexOf(Text[i], i + 1);
        return k < 0 ? n : k + 1;
    };
    int64_t pairs = 0;
    qsizetype i = 0;
    while (i < n && (i = Text.indexOf(u'<', i)) >= 0) {
        if (at(i, "<!--")) {
            i = past(i + 4, "-->");
        } else if (at(i, "<![CDATA[")) {
            i = past(i + 9, "]]>");
        } else if (at(i, "<?")) {
            i = past(i + 2, "?>");
        } else if (at(i, "<!")) {
            // The document type, to its '>' outside literals and the internal subset.
            bool subset = false;
            for (i += 2; i < n && (subset || Text[i] != u'>');) {
                if (quote(i)) {
                    i = pastQuote(i);
                } else if (!subset) {
                    subset = Text[i++] == u'[';
                } else if (Text[i] == u']') {
                    subset = false;
                    ++i;
                } else if (at(i, "<!--")) {
                    i = past(i + 4, "-->");
                } else if (at(i, "<?")) {
                    i = past(i + 2, "?>");
                } else if (at(i, "<!ATTLIST")) {
                    // A literal in an attribute-list declaration is a default value.
                    for (i += 9; i < n && Text[i] != u'>'; ++i)
                        if (quote(i)) return false;
                } else {
                    ++i;
                }
            }
        } else {
            // A start or end tag, to its '>' outside quoted values.
            int64_t attributes = 0;
            for (++i; i < n && Text[i] != u'>';) {
                if (quote(i)) {
                    i = pastQuote(i);
                } else if (Text[i++] == u'=' && ++attributes > Limits.MaxAttributes) {
                    return false;
                }
            }
            pairs += attributes * (attributes - 1) / 2;
            if (pairs > Limits.MaxAttributePairs) return false;
        }
    }
    return true;
}

} // namespace

bool SelfContainedSvg(const QByteArray& Bytes, QByteArray& Text, const TDrawingLimits& Limits)
{
    Text.clear();
    if (Bytes.size() > Limits.MaxFileBytes) return false;
    QByteArray inflated;
    const QByteArray* source = &Bytes;
    if (Bytes.startsWith("\x1f\x8b")) {
        if (!Inflate(Bytes, inflated, Limits.MaxTextBytes)) return false;
        source = &inflated;
    } else if (Bytes.size() > Limits.MaxTextBytes) {
        return false;
    }

    // The reader reads the text decoded here, so that the attributes counted
    // are the ones it reads, in whatever encoding the drawing comes.
    QString decoded;
    if (!DecodedText(*source, decoded) || !AttributesWithinBounds(decoded, Limits)) return false;
    inflated.clear();

    // The text is copied element by element: names and attributes as they
    // stand (prefixes included), characters escaped anew; the document type,
    // comments and processing instructions stay behind.
    QXmlStreamReader reader(decoded);
    decoded.clear(); // the reader keeps a copy of its own
    reader.setNamespaceProcessing(false);
    // A drawing declares no entities: a few bytes of declarations referenced
    // over and over would grow without bound inside the reader, before any
    // of the bounds here could see them. No reference may take more
    // characters than its own name, so that the document type itself (where
    // parameter entities expand as it is read) stays within the text bound
    // until its declarations refuse the drawing.
    reader.setEntityExpansionLimit(0);
    QBuffer out(&Text);
    out.open(QIODevice::WriteOnly);
    QXmlStreamWriter writer(&out);
    int64_t elements = 0, written = 0, pixels = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartDocument:
            writer.writeStartDocument();
            break;
        case QXmlStreamReader::DTD:
            if (!reader.entityDeclarations().isEmpty()) {
                Text.clear();
                return false;
            }
            break;
        case QXmlStreamReader::StartElement: {
            if (++elements > Limits.MaxElements) return false;
            const QXmlStreamAttributes attributes = reader.attributes();
            if (Local(reader.qualifiedName()) == u"image") {
                bool embedded = false;
                for (const QXmlStreamAttribute& a : attributes) {
                    if (Local(a.qualifiedName()) != u"href") continue;
                    const int64_t p = EmbeddedPixels(a.value().toString());
                    embedded = p >= 0;
                    if (!embedded) break;
                    pixels += p;
                }
                if (pixels > Limits.MaxImagePixels) return false;
                if (!embedded) {
                    reader.skipCurrentElement();
                    break;
                }
            }
            writer.writeStartElement(reader.qualifiedName().toString());
            ++written;
            for (const QXmlStreamAttribute& a : attributes)
                writer.writeAttribute(a.qualifiedName().toString(), a.value().toString());
            break;
        }
        case QXmlStreamReader::EndElement:
            writer.writeEndElement();
            break;
        case QXmlStreamReader::Characters:
            if (reader.isCDATA())
                writer.writeCDATA(reader.text().toString());
            else
                writer.writeCharacters(reader.text().toString());
            break;
        default:
            break;
        }
    }
    // A drawing whose only element was a picture taken out leaves no XML.
    if (reader.hasError() || written == 0) {
        Text.clear();
        return false;
    }
    writer.writeEndDocument();
    return true;
}

std::unique_ptr<QSvgRenderer> ReadSvgDrawing(const QByteArray& Bytes, const TDrawingLimits& Limits)
{
    QByteArray text;
    if (!SelfContainedSvg(Bytes, text, Limits)) return nullptr;
    auto drawing = std::make_unique<QSvgRenderer>();
    if (!drawing->load(text) || !drawing->isValid()) return nullptr;
    return drawing;
}

std::unique_ptr<QSvgRenderer> LoadSvgDrawingFile(const QString& Path, const TDrawingLimits& Limits)
{
    const QByteArray name = QFile::encodeName(Path);
    // Opened without waiting: a FIFO or a device is refused, never read.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > Limits.MaxFileBytes) {
        ::close(fd);
        return nullptr;
    }
    QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += n;
    }
    ::close(fd);
    bytes.truncate(got);
    return ReadSvgDrawing(bytes, Limits);
}
