// The error and trace log: opened and closed for every message so it survives a crash.
#include "app/log.h"

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
