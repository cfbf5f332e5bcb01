// The error and trace log: opened and closed for every message so it survives a crash.
#include "app/log.h"

#include <cstdarg>
#include <cstdio>
#include <fstream>

static const char* const LOG_FILE = "ZANerrors.log";

std::ofstream m_ErrorLog;   // holds no open file between messages
bool m_bTrace = false;
bool m_bTraceLand = false;

void InitErrorLog()
{
    m_ErrorLog.open(LOG_FILE, std::ios::out | std::ios::trunc);
    m_ErrorLog << "ZANerrors.log started " << std::endl;
    m_ErrorLog.close();
    m_ErrorLog.clear();
}

void LogError(const char* text)
{
    m_ErrorLog.open(LOG_FILE, std::ios::out | std::ios::app);
    m_ErrorLog << text << std::endl;
    m_ErrorLog.close();
    m_ErrorLog.clear();   // a failed open must not poison the next message
}

std::string QuoteForLog(const std::string& strText, size_t nMaxBytes)
{
    static const char HEX[] = "0123456789ABCDEF";
    std::string strOut = "\"";
    size_t n = strText.size() < nMaxBytes ? strText.size() : nMaxBytes;
    for (size_t i = 0; i < n; i++)
    {
        unsigned char c = (unsigned char)strText[i];
        // A 0x1A ends a text-mode read of the log; a CR or LF would forge a line.
        if (c < 0x20 || c >= 0x7F || c == '"')
        {
            strOut += "\\x";
            strOut += HEX[c >> 4];
            strOut += HEX[c & 15];
        }
        else
            strOut += (char)c;
    }
    strOut += "\"";
    if (n < strText.size())
        strOut += "...";
    return strOut;
}

void LogErrorf(const char* pszFormat, ...)
{
    char cLine[512];
    va_list args;
    va_start(args, pszFormat);
    vsnprintf(cLine, sizeof(cLine), pszFormat, args);
    va_end(args);
    LogError(cLine);
}
