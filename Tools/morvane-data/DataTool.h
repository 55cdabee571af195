#pragma once

#include <string>
#include <vector>

namespace MorvaneData
{
// The command line of morvane-data: "check FILE..." and "print FILE".
class DataTool
{
public:
    // The process exit code: 0 when every file is sound, 1 when one is not, 2 for a bad command line.
    int Run(const std::vector<std::string>& arguments);

private:
    int Check(const std::vector<std::string>& files);
    int Print(const std::string& file);
    int Usage();
};
} // namespace MorvaneData
