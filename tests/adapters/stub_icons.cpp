// Test library with an "AAA" icon and no GetValueForID.
extern "C" __declspec(dllexport) int KeldraStubIcons() {
    return 1;
}
