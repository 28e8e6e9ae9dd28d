// The unit tests' precompiled headers are built with this unit (tests/CMakeLists.txt).
