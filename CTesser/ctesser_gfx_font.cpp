// Bitmap fonts. (Placeholder until the fonts manager lands.)
#include "ctesser.h"

int CTesser::FontLoad(const void*, int32_t)
{
    EHS_CHECK(false, EHS_GENERAL, "Fonts are not available in this build.");
    return -1;
}
int CTesser::FontGetID(const std::string&) { return -1; }
