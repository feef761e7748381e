#pragma once
// The "Project Options" and "Global Potentiometers" tabs of the project page: what they show and
// what each edit writes into the open project at once.

#include <string>
#include <string_view>
#include <vector>

namespace kvr::model {
class TProject;
}

namespace kvr::app {

inline constexpr int ProjectNameMaxLength = 35;
inline constexpr int ProjectIDMaxLength = 4;
inline constexpr int GlobalPotNameMaxLength = 16;

struct ProjectOptionFields {
    std::string Name;
    std::string UserName;
    std::string FileDate;
    std::string ProjectID; // up to the first zero byte
};

class ProjectOptions {
public:
    explicit ProjectOptions(model::TProject& Project) : FProject(Project) {}

    // ShowProjectPage's fill; the edits below do nothing until it ends.
    ProjectOptionFields Fill();
    void EndFill() { FFilling = false; }
    bool Filling() const { return FFilling; }

    void SetName(std::string_view Text);
    // The first four characters, zero-padded, into the project header and every device header.
    void SetProjectID(std::string_view Text);

    // The 20 global potentiometer names in order; the label field stays off until one is chosen.
    std::vector<std::string> PotNames();
    // Index 0-19: the potentiometer's name becomes the first 16 characters of Text.
    void SetPotName(int Index, std::string_view Text);

private:
    model::TProject& FProject;
    bool FFilling = false;
};

} // namespace kvr::app
