# Shared settings of every Korvalin target.

# Library headers (Qt, GoogleTest) come from imported targets and so are system headers:
# their warnings do not count, ours do.
function(korvalin_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Woverloaded-virtual
        -Wzero-as-null-pointer-constant)
    if(KORVALIN_WARNINGS_AS_ERRORS)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# Adds a library whose sources are every .cpp below the given folders (relative to
# src/); of a SHALLOW_FOLDERS folder only its own files count, not its subfolders'
# (the port headers in platform/ sit above the back ends' folders). A layer whose
# folders hold no source yet becomes an interface library, so the tree builds while a
# layer is still empty.
function(korvalin_layer name)
    cmake_parse_arguments(LAYER "QT" "" "FOLDERS;SHALLOW_FOLDERS;DEPENDS" ${ARGN})
    set(sources "")
    foreach(folder IN LISTS LAYER_FOLDERS)
        file(GLOB_RECURSE found CONFIGURE_DEPENDS
            "${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp"
            "${PROJECT_SOURCE_DIR}/src/${folder}/*.h"
            "${PROJECT_SOURCE_DIR}/src/${folder}/*.qrc")
        list(APPEND sources ${found})
    endforeach()
    foreach(folder IN LISTS LAYER_SHALLOW_FOLDERS)
        file(GLOB found CONFIGURE_DEPENDS
            "${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp"
            "${PROJECT_SOURCE_DIR}/src/${folder}/*.h"
            "${PROJECT_SOURCE_DIR}/src/${folder}/*.qrc")
        list(APPEND sources ${found})
    endforeach()
    list(FILTER sources INCLUDE REGEX "\\.(cpp|qrc)$")
    if(sources)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
        target_link_libraries(${name} PUBLIC ${LAYER_DEPENDS})
        korvalin_warnings(${name})
        if(LAYER_QT)
            set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
        endif()
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE "${PROJECT_SOURCE_DIR}/src")
        target_link_libraries(${name} INTERFACE ${LAYER_DEPENDS})
    endif()
endfunction()
