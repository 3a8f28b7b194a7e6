# Code that ends up in the deliverables keeps the C++ runtime out: no exceptions, no
# RTTI, and sections that the linker can drop when nothing uses them.
function(product_code target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -fno-exceptions -fno-rtti
                                           -ffunction-sections -fdata-sections)
  # PE compilers put zero-filled variables of their own data sections into .data,
  # where they take room in the file; in one .bss they take none. Guarded local
  # statics would bring in the C++ exception runtime.
  if(WIN32)
    target_compile_options(${target} PRIVATE -fno-data-sections -fno-asynchronous-unwind-tables
                                             -fno-threadsafe-statics)
    # Optimising across files at link time leaves out what no caller reaches (the
    # player's file source, branches for flags that are constant): a tenth of the intro.
    # Fat objects keep the usual code too, for the test programs linked without it.
    set_property(TARGET ${target} PROPERTY INTERPROCEDURAL_OPTIMIZATION ON)
    target_compile_options(${target} PRIVATE -ffat-lto-objects)
  endif()
endfunction()

# Static Windows programs that run on a bare install. No link time goes into the
# header, so two builds of one commit give the same bytes.
function(static_windows_program target)
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp)
endfunction()

# A host tool built as a Windows console program for the release. It links the
# product's code as the builders do, optimised across files.
function(windows_tool target)
  set_property(TARGET ${target} PROPERTY INTERPROCEDURAL_OPTIMIZATION ON)
  static_windows_program(${target})
  target_link_options(${target} PRIVATE -s -Wl,--gc-sections)
endfunction()

# Tests that derive from the product's classes must match its no-RTTI ABI.
function(test_code target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -fno-rtti)
  # They link the product's fat objects by their usual code.
  if(WIN32)
    target_link_options(${target} PRIVATE -fno-lto)
  endif()
endfunction()
