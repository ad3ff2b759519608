# The portable core as 32-bit x86 Linux code (g++ -m32, Debian's g++-multilib). These machines
# run no 32-bit programs, so the tests run under qemu-i386-static through the emulator.
# Configure with -DVELMAR_SOLO_NUCLEO=ON: qemu-user cannot follow an exec of a 32-bit child.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -m32)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -m32)
find_program(VELMAR_QEMU_I386 NAMES qemu-i386-static qemu-i386)
if(VELMAR_QEMU_I386)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VELMAR_QEMU_I386})
else()
    set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-i386-static)
endif()
