# Fails when a file of src/ includes a header of a folder above its own.
# Run as: cmake -DSOURCE_DIR=<src> -P CheckLayers.cmake
#
# Layers, bottom first: what a folder may include is its own and those before it.
cmake_policy(SET CMP0057 NEW)

set(layers core network protocol commands models ui app)

# The allowed upward includes, as "from-folder>to-folder" pairs: a command hands its result back
# to the model that queued it, so commands call back into models.
set(allowed "commands>models")

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

set(violations "")
foreach(layer IN LISTS layers)
    list(FIND layers ${layer} rank)
    file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${layer}/*.h
        ${SOURCE_DIR}/${layer}/*.cpp)
    foreach(file IN LISTS files)
        file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"[a-z]+/")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([a-z]+)/.*" "\\1" target "${line}")
            list(FIND layers ${target} targetRank)
            if(targetRank GREATER rank AND NOT "${layer}>${target}" IN_LIST allowed)
                string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+" "" header "${line}")
                list(APPEND violations "  ${file} includes ${header}")
            endif()
        endforeach()
    endforeach()
endforeach()

if(violations)
    list(JOIN violations "\n" text)
    message(FATAL_ERROR "Includes that point to a higher layer:\n${text}")
endif()
message(STATUS "Every include of src/ points to its own layer or a lower one")
