#pragma once

#include "Behavior/Options/OptionValues.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The options on disk: one element,
//   <Options fullScreen="false" volume="1" quality="1" fxaa="true" vsync="true" invertY="false"
//   sensitivity="5"/>
// Whatever is bad in a file gives the default for that value and one problem, never a failure: a file
// that is not a regular file, cannot be read, is empty, is not XML or has another root gives every
// default; an unknown attribute or element is ignored; a value that is not "true"/"false" or not a number,
// not finite or outside its range (volume 0 to 1, quality 0.25 to 1.5, sensitivity 1 to 10) gives that
// value's default, and a number within its range that falls between its steps is snapped to the nearest
// (a tenth, one of the qualities, a whole sensitivity).
class OptionsFile
{
public:
    static constexpr const char* kChannel = "Options";
    // Larger than any options file: a bigger one is not read into memory.
    static constexpr std::uintmax_t kMaximumSize = 64 * 1024;

    // $XDG_CONFIG_HOME/brimora/options.xml, or $HOME/.config/brimora/options.xml where XDG_CONFIG_HOME is
    // unset, empty or relative; empty (warned) when HOME is no absolute folder either.
    static std::filesystem::path UserPath();

    explicit OptionsFile(std::filesystem::path path);

    const std::filesystem::path& GetPath() const { return m_path; }

    // The file's values; one line per problem is added to `problems` (a missing file is none).
    OptionValues Read(std::vector<std::string>& problems) const;
    // The same, each problem logged as one warning and a missing file as one info line.
    OptionValues Load() const;
    // Writes a temporary file in the file's folder (made with mode 0700 where missing) and renames it
    // over the file, so a reader never sees half a file; false (warned) when that failed, the old file
    // then whole and no temporary file left.
    bool Save(const OptionValues& values) const;

    // The file's text for `values`: numbers in their shortest form ("0.7", "0.25").
    static std::string ToText(const OptionValues& values);
    // The values in `text`; one line per problem is added to `problems`.
    static OptionValues FromText(const std::string& text, std::vector<std::string>& problems);

private:
    std::filesystem::path m_path;
};
