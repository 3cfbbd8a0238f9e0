# Shared by the mingw-w64 toolchain files: set PLINOR_MINGW_TRIPLET and
# CMAKE_SYSTEM_PROCESSOR first. Tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${PLINOR_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PLINOR_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${PLINOR_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PLINOR_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The -posix compilers give std::thread and std::mutex (GoogleTest needs them);
# -static keeps libwinpthread and the C++ runtime inside the executable.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
