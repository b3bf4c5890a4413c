#include "core/model/Messages.h"

#include <algorithm>

namespace {

// The string table, ordered by id. Ids without a text here give "".
const TStringTableEntry Table[] = {
    {9, "Undefined"},
    {10, "Open Link"},
    {11, "Enter name:"},
    {12, "Open Node"},
    {18, "Do you want to save?"},
    {19, "Close:"},
    {26, "ZOK: "},
    {28, "Plot"},
    {33, "Cannot create widths file."},
    {34, "Get Widths"},
    {35, "Read Program"},
    {36, "Valid widths file not found."},
    {38, "Valid program file not found."},
    {46, "Node Entity Definition"},
    {47, "Link Entity Definition"},
    {51, "Update"},
    {52, "Valid update file not found."},
    {56, "Network Status"},
    {57, "System Attributes"},
    {58, "Write Program"},
    {59, "Cannot create program file."},
    {62, "Top, Right"},
    {63, "Top, Center"},
    {64, "Top, Left"},
    {65, "Bottom, Right"},
    {66, "Bottom, Center"},
    {67, "Bottom, Left"},
    {72, "None"},
    {109, "Expression "},
    {110, "Linear"},
    {111, "Multiplic"},
    {112, "C+Multiplic"},
    {113, "Harmonic"},
    {114, "Logit"},
    {115, "Reciprocal"},
    {116, "Constant"},
    {122, "Real"},
    {123, "Category"},
    {127, " Attributes"},
    {137, "Blank"},
    {138, "Name"},
    {139, "Node Size Expression 1"},
    {140, "Link Width Expression 1"},
    {146, "Illegal page setup."},
    {147, "Node Search"},
    {148, "Link Search"},
    {149, "AND"},
    {150, "OR"},
    {172, "Expression Error"},
    {183, "Node Size Expressions"}, // our own wording
    {184, "Link Width Expressions"}, // our own wording
    {185, "Serial"},
    {186, "Error in a real attribute."},
    {187, "Error in a categorical variable."},
    {188, "Error in a variable."},
    {189, "Real Worksheet"},
    {213, "Not Used"}, // our own wording
    {218, "Calculate"},
    {219, "Inactive"},
    {226, "Dead Center"},
    {232, "Polygon Vertices"},
    {233, "Poly"},
    {242, "Stop Calculate before closing."},
    {247, "Zoom factor too large for network."},
    {248, "Zoom"},
    {252, "Date,Time"},
    {253, "Date"},
    {254, "Time"},
    {255, "Integer"},
    {257, "Polygon Search"},
    {258, "Polygon not found."},
    {259, "Found node hasn't a polygon."},
    {260, "Delete Layers"},
    {261, "All nodes on unseen layers will be deleted."},
    {264, "Error in date/time attribute."},
    {269, "Scanning, x = "},
    {270, "Area = "},
    {271, "Square Units"},
    {277, "Link Width Expression 2"},
    {278, "Node Size Expression 2"},
    {283, "Date/Time Worksheet"},
    {284, "Backgrounds"},
    {285, "Error in file or setting."},
    {287, "Mark Shortest Paths"},
    {288, "Starting node not found."},
    {291, "Error in transform values."},
    {292, "Delete by Search"},
    {293, "All elements NOT shown by search will be deleted."},
    {294, "Note 1"},
    {295, "Note 2"},
    {296, "Nothing was appended; the network is as it was."}, // our own wording
    {297, "Append"}, // our own wording
    {301, "Tiger 2000"},
    {304, "Error in maximum distance."},
    {305, "Cannot read Extract/Update formats file."},
    {399, "Left-click item.  Click and drag squares or dots to size or move.  Hit the delete key to remove item."},
    {400, "Left-click new node position (advances node plot cursor).  Right-click to plot node at the new position.  The Mode box on the Status bar may also be used to position the node plot cursor."},
    {401, "Left-click each ending node of a desired link to plot the link.  The first end is the A node; the second end is the B node.  Links may be plotted in a daisy chain fashion with the  node of the last plotted link becoming the node of the next plotted link."},
    {402, "Left-click a node displays the Node Designation dialog box."},
    {403, "Left-click each ending node of the link to displays the Link Designation dialog box.  Links may be opened in a daisy chain fashion."},
    {404, "Left-click a node to delete it."},
    {405, "Left-click the owner node.  If the owner does not yet have a polygon or any vertex nodes, left click the vertex nodes in sequence."},
    {406, "Left-click the owner node, then left click the vertex node to be removed from the polygon chain.  Continue to remove vertex nodes by left clicking them."},
    {407, "Left-click each end of the link to deletes it.  Links may be deleted in a daisy chain fashion."},
    {408, "Left-click new node position; then right-click to plot node and open it."},
    {409, "Left-click each end of new link.  Links can be plotted in a daisy chain fashion."},
    {410, "Left-click to remove node from old location.  Left-click to set new location.  Right-click to re-plot node."},
    {411, "Left-click new A node, then left-click new B node."},
    {413, "Left-click each end of link; left-click new node position; then right-click to plot the three new elements."},
    {415, "Left-click node.  The two links attached to the node must have consistent directionality."},
    {416, "Left-click adjacent nodes/shape points.  Left-click to choose shape point locaiton.  Right-click to plot."},
    {417, "String"},
    {418, "Left-click shape point to remove."},
    {419, "Set node initialize characteristics.  Left-click node to reinitialize."},
    {420, "Set link initialize characteristics.  Left-click each ending node to reinitialize."},
    {421, "Left-click node to splice two links with consistent directionality; create shape point where node was.."},
    {422, "Left-click shape point to split link into two new links; create node where shape point was."},
    {423, "Left-click two nodes to delete one, attach all links to the other."},
    {424, "Left-click each end of one link to insert nodes at all intersections with other links."},
    {425, "Left-click shape point to see its properties."},
    {427, "Longitude"},
    {428, "Latitude"},
    {431, "Compute Long/Lat from XY "},
    {432, "(Linear)"},
    {433, "(Mercator)"},
    {434, "(Lambert)"},
    {435, "Shape Point Longitude/Latitude/Elevation"},
    {436, "Node Longitude/Latitude/Elevation"},
    {437, "(Interpolation)"},
    {438, "Long/Lat"},
    {439, "Error in longitude or latitude."},
    {440, "Longitude and latitude not reset."},
    {444, "Mark Shortest Paths"},
    {445, "NOT"},
    {447, "Elevation"},
    {448, "Unknown name in user trip table!"},
    {449, "Unexpected end of user trip table!"},
    {450, "Unexpected END OF TABLES in user trip table!"},
    {451, "Unexpected END OF COLUMNS in user trip table!"},
    {452, "Unexpected END OF ROWS in user trip table!"},
    {453, "Zero rows or zero columns in a trip table!"},
    {454, "Unable to read numbers in user trip table!"},
    {455, "Row is"},
    {456, "Table is"},
    {457, "Column is"},
    {459, "Click current polygon owner, then click new polygon owner."},
    {460, "Error in elevation"},
    {461, "Preferences"},
    {462, "Error in scale"},
    {1001, "The network file cannot keep these characters, which Windows-1252 lacks:"}, // our own text
    {1002, "Characters Not Kept"}, // our own text
};

constexpr std::size_t MaxResText = 254;
constexpr std::size_t MaxBoxText = 79;

const TStringTableEntry* Find(int id)
{
    auto it = std::lower_bound(std::begin(Table), std::end(Table), id,
                               [](const TStringTableEntry& e, int key) { return e.Id < key; });
    if (it == std::end(Table) || it->Id != id)
        return nullptr;
    return &*it;
}

} // namespace

std::string MessageText(int id)
{
    const TStringTableEntry* e = Find(id);
    if (!e)
        return {};
    return std::string(e->Text.substr(0, MaxResText));
}

std::string LoadResText(int id)
{
    std::string s = MessageText(id);
    s.push_back('\0');
    return s;
}

bool HasMessageText(int id)
{
    return Find(id) != nullptr;
}

const std::vector<TStringTableEntry>& StringTable()
{
    static const std::vector<TStringTableEntry> all(std::begin(Table), std::end(Table));
    return all;
}

std::string MessageTextForDisplay(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            out.push_back('\n');
            if (i + 1 < text.size() && text[i + 1] == '\r')
                ++i;
        } else if (c == '\r') {
            out.push_back('\n');
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

int ShowMessageBox(TMessageSink& sink, int textId, int captionId, int flags)
{
    std::string text = MessageText(textId);
    std::string caption = MessageText(captionId);
    if (text.size() > MaxBoxText)
        text.resize(MaxBoxText);
    if (caption.size() > MaxBoxText)
        caption.resize(MaxBoxText);
    return sink.MessageBox(text, caption, flags);
}

int DefaultButton(int flags)
{
    switch (flags & MB_BUTTONMASK) {
    case MB_YESNOCANCEL:
    case MB_YESNO:
        return IDYES;
    default:
        return IDOK;
    }
}

int TMessageSinkRecorder::MessageBox(const std::string& text, const std::string& caption, int flags)
{
    Calls.push_back({text, caption, flags});
    if (NextAnswer < Answers.size())
        return Answers[NextAnswer++];
    return DefaultButton(flags);
}
