// Reading back the log file.
#include "support/readback.h"

#include <fstream>

std::vector<std::string> ReadLog()
{
    std::vector<std::string> lines;
    // Binary: a 0x1A byte would end a text-mode read there.
    std::ifstream in("ZANerrors.log", std::ios::binary);
    std::string line;
    while (std::getline(in, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}
