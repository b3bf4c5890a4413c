// The title block of a network: five short texts, a description, what is shown,
// its world position and one label font slot per text.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

struct TFileContext;

struct TDescription {
    std::string Project;
    std::string Organization;
    std::string Job;
    std::string Client;
    std::string Author;
    std::string DescriptionText; // lines separated by CR LF
    int32_t X = 0, Y = 0;        // world position, -512000..512000 (a file may hold others)
    int32_t ProjectFont = 0;
    int32_t OrganizationFont = 0;
    int32_t JobFont = 0;
    int32_t ClientFont = 0;
    int32_t AuthorFont = 0;
    int32_t DescriptionFont = 0;
    uint8_t ShowProject = 0;
    uint8_t ShowDescription = 0;
    uint8_t ShowJob = 0;
    uint8_t ShowClient = 0;
    uint8_t ShowAuthor = 0;
    uint8_t ShowOrganization = 0;
    uint8_t ShowCaptions = 0;
    uint8_t AddToday = 0;
    uint8_t DrawBox = 0;

    void Reset() { *this = TDescription{}; }

    // Where the block is drawn and selected: X and Y brought into the world.
    static constexpr int32_t PositionLimit = 512000;
    int32_t DrawX() const { return std::clamp(X, -PositionLimit, PositionLimit); }
    int32_t DrawY() const { return std::clamp(Y, -PositionLimit, PositionLimit); }
};
