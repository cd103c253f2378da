# Modules the programs load at run time from their library folder (the layout reader, the doctor's
# desktop checks) are built into bin/. talvore_module_in(TARGET MODULE FOLDER) puts a copy in
# another program folder (the demo's, the benchmarks'), refreshed whenever the module is rebuilt
# and built before TARGET.
function(talvore_module_in target module folder)
    set(copy ${folder}/${module}.so)
    add_custom_command(OUTPUT ${copy}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${module}> ${copy}
        DEPENDS ${module}
        VERBATIM)
    add_custom_target(${target}_${module} DEPENDS ${copy})
    add_dependencies(${target} ${target}_${module})
endfunction()
