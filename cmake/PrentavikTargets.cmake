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

# Most of the time of compiling a source goes into the Qt and standard headers
# (seconds each, with the sanitizers), not into the source itself. Every
# library and test source reuses one of three precompiled sets of them,
# compiled once per build tree: the logic libraries', the widget libraries'
# (the logic set and the widgets) and the tests' (the widget set, GoogleTest
# and GoogleMock). A precompiled header only serves sources compiled with the
# same code-generation options, and executables are compiled as
# position-independent executables, libraries as position-independent code:
# so the tests compile into object libraries (see tests/), and a target with
# options of its own (an optimised helper in a Debug tree) keeps none.
# On by default only where GCC does not optimise: over a precompiled header
# its optimiser warns about the standard library's own code inlined into a
# source (a false out-of-bounds memcpy in std::string), which it keeps quiet
# in a plain build, so an optimised warning check compiles without one.
if(CMAKE_BUILD_TYPE STREQUAL "Debug" OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    set(PRENTAVIK_PCH_DEFAULT ON)
else()
    set(PRENTAVIK_PCH_DEFAULT OFF)
endif()
option(PRENTAVIK_PCH "Precompile the Qt, standard and test headers the sources use most" ${PRENTAVIK_PCH_DEFAULT})

set(PRENTAVIK_PCH_LOGIC
    <algorithm> <array> <cmath> <cstdint> <functional> <limits> <map> <memory> <optional> <string>
    <string_view> <utility> <vector>
    <QByteArray> <QDir> <QFile> <QFileInfo> <QObject> <QString> <QStringList>)
set(PRENTAVIK_PCH_WIDGETS
    ${PRENTAVIK_PCH_LOGIC}
    <QApplication> <QDialog> <QGridLayout> <QGroupBox> <QHBoxLayout> <QLabel> <QLineEdit> <QMdiArea>
    <QPushButton> <QVBoxLayout> <QWidget>)
set(PRENTAVIK_PCH_TESTS
    ${PRENTAVIK_PCH_WIDGETS}
    <QCoreApplication> <QTemporaryDir> <gtest/gtest.h> <gmock/gmock.h>)

# prentavik_pch_host(<name> <headers variable> LIBS ... [HEADERS_OF ...]) - an
# object library of one empty source that compiles the given headers for
# others to reuse. GCC takes a precompiled header only where every macro
# defined when it was made is defined alike: LIBS give the host their compile
# definitions, so they are what every user has in common; HEADERS_OF libraries
# give only their include folders.
function(prentavik_pch_host name headers)
    cmake_parse_arguments(ARG "" "" "LIBS;HEADERS_OF" ${ARGN})
    set(source ${CMAKE_BINARY_DIR}/generated/${name}.cpp)
    if(NOT EXISTS ${source})
        file(WRITE ${source} "// Compiles the precompiled headers that other targets reuse.\n")
    endif()
    add_library(${name} OBJECT ${source})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    foreach(lib IN LISTS ARG_HEADERS_OF)
        target_include_directories(${name} SYSTEM PRIVATE $<TARGET_PROPERTY:${lib},INTERFACE_INCLUDE_DIRECTORIES>)
    endforeach()
    target_precompile_headers(${name} PRIVATE ${${headers}})
    prentavik_set_warnings(${name})
endfunction()

# prentavik_use_pch(<target> <host>) - compiles <target> over <host>'s headers.
function(prentavik_use_pch target host)
    if(PRENTAVIK_PCH)
        target_precompile_headers(${target} REUSE_FROM ${host})
    endif()
endfunction()

# prentavik_library(<name> SOURCES ... [LIBS ...]) - a static library of the project.
# Libraries of widgets (named *_ui) reuse the widget headers, the others the logic headers.
function(prentavik_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    prentavik_set_warnings(${name})
    add_dependencies(prentavik_warnings_check ${name})
    if(name MATCHES "_ui$")
        prentavik_use_pch(${name} prentavik_pch_widgets)
    else()
        prentavik_use_pch(${name} prentavik_pch_logic)
    endif()
endfunction()
