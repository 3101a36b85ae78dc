// Test stand-in for lang.dll, with the real library's export and calling convention.
#include <cstring>

extern "C" __declspec(dllexport) short __stdcall GetValueForID(const char* id, char* buffer,
                                                               int reserved) {
    if (std::strcmp(id, "OCM_FB") == 0) {
        std::strcpy(buffer, "Fix problems");
    } else if (std::strcmp(id, "FULL") == 0) {
        // The whole text part of the buffer and no terminating NUL.
        std::memset(buffer, 'x', 255);
    } else if (std::strcmp(id, "ANSI") == 0) {
        std::strcpy(buffer, "Gr\xFC\xDF\x65");  // "Grüße" in code page 1252
    } else {
        // What arrived, so that a case can check the identifier and the third argument.
        std::strcpy(buffer, "id=");
        std::strncat(buffer, id, 200);
        std::strcat(buffer, reserved == 0 ? " reserved=0" : " reserved=other");
    }
    return 1;
}
