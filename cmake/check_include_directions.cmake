# Checks that engine code includes only the folders below it:
#   cmake -DSOURCE_DIR=<repo>/src -P check_include_directions.cmake
# Engine code is every .cpp/.h directly in src/<folder>/ for the folders of the table; window
# code (src/<folder>/ui/) and the console front end are built on the engine, so the engine may
# include neither. Each offending line is printed; the script fails when there is any.
cmake_minimum_required(VERSION 3.25)

# The folders each engine folder may include besides itself, lowest layer first.
set(allowed_platform "")
set(allowed_session platform)
set(allowed_conversation session platform)
set(allowed_prefs session platform)
set(allowed_contacts session platform conversation)
set(allowed_chat session platform conversation contacts)
set(allowed_social session platform conversation prefs)
set(allowed_promo session platform conversation prefs social)
set(allowed_desktop session platform conversation prefs)
set(allowed_app session platform conversation prefs contacts chat social promo desktop)

set(engine_folders platform session conversation prefs contacts chat social promo desktop app)
# Project folders under src/ that are not engine code at all.
set(front_end_folders console)
# The program's entry sits in app/ but wires the engine and the windows together.
set(program_files app/main.cpp)

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "Give the source folder: -DSOURCE_DIR=<repo>/src")
endif()
if(NOT IS_DIRECTORY "${SOURCE_DIR}")
    message(FATAL_ERROR "SOURCE_DIR is not a folder: ${SOURCE_DIR}")
endif()

get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
set(violations 0)
set(files_checked 0)
foreach(folder IN LISTS engine_folders)
    if(NOT IS_DIRECTORY "${SOURCE_DIR}/${folder}")
        continue()
    endif()
    # Not GLOB_RECURSE: the ui/ subfolders are window code, with rules of their own.
    file(GLOB sources LIST_DIRECTORIES false "${SOURCE_DIR}/${folder}/*.cpp"
         "${SOURCE_DIR}/${folder}/*.h")
    list(SORT sources)
    foreach(source IN LISTS sources)
        file(RELATIVE_PATH relative "${SOURCE_DIR}" "${source}")
        if(relative IN_LIST program_files)
            continue()
        endif()
        math(EXPR files_checked "${files_checked} + 1")
        # Not file(STRINGS): it joins lines at an unbalanced "[" or a trailing backslash, and
        # the line numbers would be wrong. Characters that are special in a CMake list go.
        file(READ "${source}" text)
        string(REGEX REPLACE "[][\\;\r]" "_" text "${text}")
        string(REPLACE "\n" ";" lines "${text}")
        set(line_number 0)
        foreach(line IN LISTS lines)
            math(EXPR line_number "${line_number} + 1")
            if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\"")
                continue()
            endif()
            set(included "${CMAKE_MATCH_1}")
            if(NOT included MATCHES "^([^/]+)/(.*)$")
                continue() # beside the including file
            endif()
            set(target "${CMAKE_MATCH_1}")
            set(rest "${CMAKE_MATCH_2}")
            set(reason "")
            if(target IN_LIST front_end_folders)
                set(reason "engine code must not include the ${target} front end")
            elseif(NOT target IN_LIST engine_folders)
                continue() # not a project folder (a library's header)
            elseif(rest MATCHES "^ui/")
                set(reason "engine code must not include window code (${target}/ui)")
            elseif(NOT target STREQUAL folder AND NOT target IN_LIST allowed_${folder})
                string(REPLACE ";" ", " may "${allowed_${folder}}")
                if(may STREQUAL "")
                    set(may "no other folder")
                endif()
                set(reason "${folder} must not include ${target} (${folder} may include: ${may})")
            endif()
            if(NOT reason STREQUAL "")
                file(RELATIVE_PATH shown "${SOURCE_DIR}/.." "${source}")
                message("${shown}:${line_number}: #include \"${included}\": ${reason}")
                math(EXPR violations "${violations} + 1")
            endif()
        endforeach()
    endforeach()
endforeach()

if(files_checked EQUAL 0)
    message(FATAL_ERROR "No engine source found under ${SOURCE_DIR}")
endif()
if(violations GREATER 0)
    message(FATAL_ERROR "${violations} include(s) against the layer directions "
                        "in ${files_checked} engine files")
endif()
message(STATUS "Include directions hold in ${files_checked} engine files")
