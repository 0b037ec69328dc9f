# Compiler and linker settings shared by every target.

if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # Sources are UTF-8; string literals become code page 1251 bytes, as the 8-bit
  # Windows calls and the file formats expect.
  add_compile_options(-finput-charset=UTF-8 -fexec-charset=CP1251)
endif()

add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)

if(WIN32)
  add_compile_definitions(WINVER=0x0501 _WIN32_WINNT=0x0501 _WIN32_IE=0x0600 NOMINMAX)
  set(ZM_STATIC_LINK -static -static-libgcc -static-libstdc++)
  if(NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE Release)
  endif()
else()
  if(NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE RelWithDebInfo)
  endif()
  find_package(Threads REQUIRED)
  if(ZM_FUZZ)
    set(ZM_SANITIZE OFF)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined)
    add_link_options(-fsanitize=address,undefined)
  elseif(ZM_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()

# zm_link_static(target): links an executable the project's way (statically on
# Windows, so the .exe needs no MinGW DLLs; with the thread library natively).
function(zm_link_static target)
  if(WIN32)
    target_link_options(${target} PRIVATE ${ZM_STATIC_LINK})
  else()
    target_link_libraries(${target} PRIVATE Threads::Threads)
  endif()
endfunction()
