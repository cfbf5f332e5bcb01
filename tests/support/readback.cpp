// Reading back the log file.
#include "support/readback.h"

#include <fstream>

std::vector<std::string> ReadLog()
{
    std::vector<std::string> lines;
    std::ifstream in("ZANerrors.log");
    std::string line;
    while (std::getline(in, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}
