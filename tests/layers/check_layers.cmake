# cmake -DSOURCE_DIR=<src> -P check_layers.cmake
#
# Each folder of src/ has a rank; a file may include its own folder and folders of lower rank.
# Folders of equal rank do not include each other. Since every include points to a strictly
# lower rank (or stays inside its folder), the folder graph cannot hold a cycle. A folder that
# is not listed fails the test, so that a new folder is placed in the layers deliberately.

if(NOT IS_DIRECTORY "${SOURCE_DIR}")
    message(FATAL_ERROR "SOURCE_DIR must name the src/ folder")
endif()

set(rank_numeric 0)
set(rank_model 1)
set(rank_data 2)
set(rank_estimation 2)
set(rank_genetic 2)
set(rank_inference 3)
set(rank_forecast 3)
set(rank_report 4)
set(rank_run 5)
set(rank_charts 6)
set(rank_app 7)
set(rank_cli 7)

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.h.in)
set(failures "")
foreach(source IN LISTS sources)
    string(REGEX MATCH "^[^/]+" folder "${source}")
    if(NOT DEFINED rank_${folder})
        if(source MATCHES "/")
            string(APPEND failures "\n  ${source}: folder ${folder} has no place in the layers")
        endif()
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE ".*\"([^\"]+)\".*" "\\1" target "${line}")
        if(NOT target MATCHES "/")
            continue()  # a file beside it
        endif()
        string(REGEX MATCH "^[^/]+" target_folder "${target}")
        if(target_folder STREQUAL folder OR NOT DEFINED rank_${target_folder})
            continue()  # its own folder, or a library outside src/ (CLI/, nlohmann/)
        endif()
        if(NOT rank_${target_folder} LESS rank_${folder})
            string(APPEND failures "\n  ${source} includes ${target}: ${target_folder}/ is not "
                                   "below ${folder}/")
        endif()
    endforeach()
endforeach()

if(failures)
    message(FATAL_ERROR "Includes that point up or across the layers:${failures}")
endif()
message(STATUS "Every include points down the layers")
