#include "core/file/SettingsSections.h"

#include "core/file/NetFileIO.h"

using namespace netfile;

bool WriteTitleBlock(TFileContext& f, const TDescription& d)
{
    GuardWrite(
        f,
        [&] {
            TTextWriter& w = *f.OutFile;
            w.WriteLine(d.Job);
            w.WriteLine(d.Project);
            w.WriteLine(d.Author);
            w.WriteLine(d.Client);
            w.WriteLine(d.Organization);
            // The description on one line: each of its lines followed by "&&".
            std::string_view text = d.DescriptionText;
            while (!text.empty()) {
                const std::size_t end = text.find_first_of("\r\n");
                w.WriteText(text.substr(0, end));
                w.WriteText("&&");
                if (end == std::string_view::npos) break;
                std::size_t next = end + 1;
                if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
                text.remove_prefix(next);
            }
            w.WriteLn();
            const uint8_t flags[9] = {d.ShowJob,         d.ShowProject,  d.ShowAuthor,
                                      d.ShowClient,      d.ShowOrganization, d.ShowDescription,
                                      d.ShowCaptions,    d.DrawBox,      d.AddToday};
            for (int i = 0; i < 9; ++i) {
                if (i) w.WriteChar(' ');
                w.WriteInt(flags[i]);
            }
            w.WriteLn();
            w.WriteInt(d.X);
            w.WriteChar(' ');
            w.WriteInt(d.Y);
            w.WriteLn();
            const int32_t fonts[6] = {d.ProjectFont, d.OrganizationFont, d.JobFont,
                                      d.ClientFont,  d.AuthorFont,       d.DescriptionFont};
            for (int i = 0; i < 6; ++i) {
                if (i) w.WriteChar(' ');
                w.WriteInt(fonts[i]);
            }
            w.WriteLn();
        },
        FileErrorRead);
    return f.ErrorCode == FileErrorNone;
}

bool ReadTitleBlock(TFileContext& f, TDescription& d)
{
    GuardRead(f, [&] {
        TTextReader& r = *f.InFile;
        d.Job = r.ReadLine();
        d.Project = r.ReadLine();
        d.Author = r.ReadLine();
        d.Client = r.ReadLine();
        d.Organization = r.ReadLine();
        std::string_view line = r.ReadLineView();
        std::string text;
        for (;;) {
            const std::size_t p = line.find("&&");
            if (p == std::string_view::npos) {
                text.append(line);
                break;
            }
            text.append(line.substr(0, p));
            text.append("\r\n");
            line.remove_prefix(p + 2);
        }
        d.DescriptionText = std::move(text);
        uint8_t* flags[9] = {&d.ShowJob,      &d.ShowProject,      &d.ShowAuthor,
                             &d.ShowClient,   &d.ShowOrganization, &d.ShowDescription,
                             &d.ShowCaptions, &d.DrawBox,          &d.AddToday};
        for (uint8_t* p : flags) *p = ReadByte(r);
        r.ReadLn();
        // The position and the font slots are kept as the file gives them, so
        // that a save writes them back; the drawing clamps the position and
        // draws a slot outside the font table with slot 0.
        d.X = r.ReadInt();
        d.Y = r.ReadInt();
        r.ReadLn();
        int32_t* fonts[6] = {&d.ProjectFont, &d.OrganizationFont, &d.JobFont,
                             &d.ClientFont,  &d.AuthorFont,       &d.DescriptionFont};
        for (int32_t* p : fonts) *p = r.ReadInt();
        r.ReadLn();
    });
    return f.ErrorCode == FileErrorNone;
}
