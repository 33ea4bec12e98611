#include <com232/com232.h>

#include <cstdio>

void CopyStatus(const char* text) {
    std::snprintf(szStatus, sizeof szStatus, "%s", text);
}
