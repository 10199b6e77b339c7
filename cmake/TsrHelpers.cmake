# Small helpers so that each folder of the tree is one build unit.

# tsr_warnings(target): our warning set, as errors-free warnings.
function(tsr_warnings target)
    target_compile_options(${target} PRIVATE ${TSR_WARNINGS})
endfunction()

# tsr_glob_sources(var dir): the .cpp files of one folder (not recursive).
# CONFIGURE_DEPENDS so that a new file is picked up without re-running cmake.
function(tsr_glob_sources var dir)
    file(GLOB files CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
    set(${var} ${files} PARENT_SCOPE)
endfunction()

# tsr_subdirs(var dir): the immediate sub-folders of dir, sorted.
function(tsr_subdirs var dir)
    file(GLOB children RELATIVE ${dir} ${dir}/*)
    set(result "")
    foreach(child ${children})
        if(IS_DIRECTORY ${dir}/${child})
            list(APPEND result ${child})
        endif()
    endforeach()
    list(SORT result)
    set(${var} ${result} PARENT_SCOPE)
endfunction()
