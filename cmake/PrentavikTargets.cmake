# Common settings for every target of the project.

function(prentavik_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(PRENTAVIK_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

if(PRENTAVIK_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# prentavik_library(<name> SOURCES ... [LIBS ...]) - a static library of the project.
function(prentavik_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    prentavik_set_warnings(${name})
endfunction()
