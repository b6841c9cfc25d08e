# The test programs under Wine: which run, and why the others do not. A
# program runs whole, as one test (each Wine process costs a start-up). A
# source file that needs Linux is left out of its program, and the few cases
# inside the others by its main() (linux_only_cases.cpp); either way the
# output names what was left out and why.
set(vesk_linux_only_batch_tests
  "installs veskconv-batch with cmake, runs it in a pseudo-terminal (pty.h) and reads its SEG-Y files with segyio on the Linux host; batch_matches_linux compares the Windows program with the Linux one byte for byte instead")
set(vesk_linux_only_preview_batch_tests
  "installs veskconv-batch with cmake and runs it in a pseudo-terminal (pty.h), as batch_tests do; batch_matches_linux runs veskconv-batch.exe --preview and compares its pictures with the Linux build's, pixel for pixel")
set(vesk_linux_only_files_test
  "forks a second process (fork, waitpid) against the POSIX file services; windows_tests checks kernel32's sharing instead")
set(vesk_linux_only_hardening_tests
  "mounts full and read-only tmpfs file systems in a Linux mount namespace, reads free space with statvfs and the heap with mallinfo2")
set(vesk_linux_only_fuzz_segy_preview_replay
  "decodes its pictures with libpng, which Debian does not build for Windows; preview_tests decode the Windows pictures with WIC and batch_matches_linux compares them with the Linux ones")
set(vesk_linux_only_fuzz_whole_program_replay "points XDG_CONFIG_HOME at its scratch folder with setenv")
set(vesk_linux_only_source_file_dialog_test.cpp "makes its folders with mkdtemp and checks the dialogs' rules on POSIX paths")
set(vesk_linux_only_source_non_regular_files_test.cpp
  "makes FIFOs with mkfifo and opens /dev/null; windows_tests opens NUL, CON, COM1, a drive and a named pipe instead")
set(vesk_linux_only_platform_settings_tests
  "checks the settings file's Linux places (XDG_CONFIG_HOME, HOME), a file-size limit (setrlimit) and _splitpath's Linux rules; windows_tests checks %APPDATA% and the runtime's _splitpath instead")
set(vesk_linux_only_vsk_reader_test "reads free disk space with statvfs (sys/statvfs.h)")
set(vesk_linux_only_vskgen_command_test "runs vskgen with posix_spawn; batch_matches_linux runs vskgen.exe instead")

function(vesk_add_windows_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(DEFINED vesk_linux_only_${name})
    # Declared, so that its room may still name it, but never built.
    add_executable(${name} EXCLUDE_FROM_ALL ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    add_test(NAME ${name} COMMAND ${CMAKE_COMMAND} -E echo "${name}: not run on Windows: ${vesk_linux_only_${name}}")
    set_tests_properties(${name} PROPERTIES SKIP_REGULAR_EXPRESSION "not run on Windows" LABELS linux-only)
    return()
  endif()
  set(sources "")
  set(left_out "")
  foreach(source IN LISTS T_SOURCES)
    if(DEFINED vesk_linux_only_source_${source})
      string(APPEND left_out "${source}: not run on Windows: ${vesk_linux_only_source_${source}}\n")
    else()
      list(APPEND sources ${source})
    endif()
  endforeach()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest vesk_main_without_linux_cases)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  # The program's main() prints what was left out (linux_only_cases.cpp).
  # A crash can end with exit status 0 under Wine, so its report fails the test too.
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 ENVIRONMENT "VESK_LEFT_OUT_SOURCES=${left_out}"
    FAIL_REGULAR_EXPRESSION "wine: Unhandled")
endfunction()
