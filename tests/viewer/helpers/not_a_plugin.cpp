// A shared library without GetIface2: the viewer skips it.
extern "C" int NotAPluginEntry() {
    return 7;
}
