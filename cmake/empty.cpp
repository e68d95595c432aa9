// A subsystem whose folder has no sources yet still gives the linker a library.
