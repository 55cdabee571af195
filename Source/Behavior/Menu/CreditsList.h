#pragma once

#include <string>
#include <vector>

// The credits page's lines from a "Credits" file: headings, each with the lines under it, a line
// optionally carrying a web address.
class CreditsList
{
public:
    struct Line
    {
        std::string caption;
        std::string address;
    };

    struct Heading
    {
        std::string caption;
        std::vector<Line> lines;
    };

    // Reads `path` (already expanded); a missing or broken file warns and gives no headings.
    static CreditsList Load(const std::string& path);

    const std::vector<Heading>& GetHeadings() const { return m_headings; }

private:
    std::vector<Heading> m_headings;
};
