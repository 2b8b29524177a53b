# Toolchain for the same Windows code built for 64-bit Windows, so its tests can run under 64-bit
# Wine on machines that cannot start 32-bit programs. The shipped deliverables stay 32-bit.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TW_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
