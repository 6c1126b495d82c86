# Runs clang-format in dry-run mode over every C++ file of the source folders and fails when
# any of them would change. Called by the SourcesFormatted test with SOURCE_DIR and
# CLANG_FORMAT set.
set(files)
foreach(folder src tests bench fuzz python)
    file(GLOB_RECURSE found
        ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.h)
    list(APPEND files ${found})
endforeach()
list(SORT files)
execute_process(
    COMMAND ${CLANG_FORMAT} --dry-run --Werror --style=file ${files}
    WORKING_DIRECTORY ${SOURCE_DIR}
    RESULT_VARIABLE status
    ERROR_VARIABLE report)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${report}\nSome sources differ from .clang-format: run scripts/format.sh")
endif()
list(LENGTH files count)
message(STATUS "${count} files follow .clang-format")
