# The core libraries, shared by the desktop build and the browser player's
# build (src/web), which compiles the very same sources with Emscripten.
# TORVI_CORE_SOURCE_DIR is the src/ folder; the including project provides the
# torvi_warnings interface library and GNUInstallDirs.

# The pattern engine. Standard library only.
add_library(torvi_pattern STATIC ${TORVI_CORE_SOURCE_DIR}/pattern/pattern.cpp ${TORVI_CORE_SOURCE_DIR}/pattern/pattern.h)
target_include_directories(torvi_pattern PUBLIC ${TORVI_CORE_SOURCE_DIR})
target_link_libraries(torvi_pattern PRIVATE torvi_warnings)

# Files: the one whole-file reader and the one writer (new files, replaced
# files keeping their owner, mode and attributes, files of several names), with
# the temporary files that a signal must not leave behind. Replacing a user's
# file (keeping owner, group and attributes, files of several names) is added
# by the desktop build (src/CMakeLists.txt): the browser player writes only
# files of its own.
add_library(torvi_file STATIC
    ${TORVI_CORE_SOURCE_DIR}/file/file_read.cpp ${TORVI_CORE_SOURCE_DIR}/file/file_read.h
    ${TORVI_CORE_SOURCE_DIR}/file/file_write.cpp ${TORVI_CORE_SOURCE_DIR}/file/file_write.h
    ${TORVI_CORE_SOURCE_DIR}/file/new_file.h
    ${TORVI_CORE_SOURCE_DIR}/file/named_temporaries.cpp
    ${TORVI_CORE_SOURCE_DIR}/file/named_temporaries.h
    ${TORVI_CORE_SOURCE_DIR}/file/page_sweep.cpp ${TORVI_CORE_SOURCE_DIR}/file/page_sweep.h)
target_include_directories(torvi_file PUBLIC ${TORVI_CORE_SOURCE_DIR})
target_link_libraries(torvi_file PRIVATE torvi_warnings)

# Text: the text buffer, the item list, UTF-8 and Windows-1252, and the Unicode
# tables the judge folds words with, made at build time from the Unicode
# Character Database that Debian's unicode-data package installs.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(TORVI_UNICODE_DATA_DIR /usr/share/unicode CACHE PATH
    "The Unicode Character Database (UnicodeData.txt and the rest)")
if(NOT EXISTS ${TORVI_UNICODE_DATA_DIR}/UnicodeData.txt)
    message(FATAL_ERROR "No Unicode Character Database in ${TORVI_UNICODE_DATA_DIR}: install "
        "Debian's unicode-data package (scripts/install-deps does), or set TORVI_UNICODE_DATA_DIR")
endif()
set(TORVI_UNICODE_TABLES ${CMAKE_CURRENT_BINARY_DIR}/generated/unicode_tables.inc)
add_custom_command(OUTPUT ${TORVI_UNICODE_TABLES}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/generated
    COMMAND Python3::Interpreter ${TORVI_CORE_SOURCE_DIR}/text/make_unicode_tables.py
            ${TORVI_UNICODE_DATA_DIR} ${TORVI_UNICODE_TABLES}
    DEPENDS ${TORVI_CORE_SOURCE_DIR}/text/make_unicode_tables.py
            ${TORVI_UNICODE_DATA_DIR}/UnicodeData.txt
            ${TORVI_UNICODE_DATA_DIR}/DerivedNormalizationProps.txt
            ${TORVI_UNICODE_DATA_DIR}/CaseFolding.txt
    COMMENT "Making the Unicode tables")
add_library(torvi_text STATIC
    ${TORVI_CORE_SOURCE_DIR}/text/ascii.h
    ${TORVI_CORE_SOURCE_DIR}/text/text_buffer.cpp ${TORVI_CORE_SOURCE_DIR}/text/text_buffer.h
    ${TORVI_CORE_SOURCE_DIR}/text/item_list.cpp ${TORVI_CORE_SOURCE_DIR}/text/item_list.h
    ${TORVI_CORE_SOURCE_DIR}/text/encoding.cpp ${TORVI_CORE_SOURCE_DIR}/text/encoding.h
    ${TORVI_CORE_SOURCE_DIR}/text/unicode_fold.cpp ${TORVI_CORE_SOURCE_DIR}/text/unicode_fold.h
    ${TORVI_UNICODE_TABLES})
target_include_directories(torvi_text PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated)
target_link_libraries(torvi_text PUBLIC torvi_pattern torvi_file PRIVATE torvi_warnings)

# The judge: splitting answers into words and comparing them.
add_library(torvi_judge STATIC ${TORVI_CORE_SOURCE_DIR}/judge/answer_judge.cpp ${TORVI_CORE_SOURCE_DIR}/judge/answer_judge.h)
target_link_libraries(torvi_judge PUBLIC torvi_text PRIVATE torvi_warnings)

# Quiz files and the question set.
add_library(torvi_quiz STATIC
    ${TORVI_CORE_SOURCE_DIR}/quiz/question.h
    ${TORVI_CORE_SOURCE_DIR}/quiz/question_set.cpp ${TORVI_CORE_SOURCE_DIR}/quiz/question_set.h
    ${TORVI_CORE_SOURCE_DIR}/quiz/quiz_file_reader.cpp ${TORVI_CORE_SOURCE_DIR}/quiz/quiz_file_reader.h
    ${TORVI_CORE_SOURCE_DIR}/quiz/random_source.cpp ${TORVI_CORE_SOURCE_DIR}/quiz/random_source.h)
target_link_libraries(torvi_quiz PUBLIC torvi_judge PRIVATE torvi_warnings)

# Sound cues: the banks and the player interface.
add_library(torvi_sound STATIC ${TORVI_CORE_SOURCE_DIR}/sound/sound_bank.cpp ${TORVI_CORE_SOURCE_DIR}/sound/sound_bank.h ${TORVI_CORE_SOURCE_DIR}/sound/audio_player.h)
target_link_libraries(torvi_sound PUBLIC torvi_text PRIVATE torvi_warnings)

# The quiz author's checks and the judge's explanation of one answer, shared by
# torvi-cli and the quiz editor. The explanation is added by the desktop build
# (src/CMakeLists.txt): it writes numbers with the floating-point to_chars,
# which Emscripten's C++ library lacks, and the browser player does not use it.
add_library(torvi_check STATIC
    ${TORVI_CORE_SOURCE_DIR}/check/quiz_checker.cpp ${TORVI_CORE_SOURCE_DIR}/check/quiz_checker.h
    ${TORVI_CORE_SOURCE_DIR}/check/answer_explanation.h)
target_link_libraries(torvi_check PUBLIC torvi_quiz PRIVATE torvi_warnings)

# Files from other programs: spreadsheets and flashcard exports made into quiz
# text for the one loader, and quizzes written back out for those programs.
# The readers and the writer on libxml2 (KVTML, flashcard HTML) are added by
# the desktop build (src/CMakeLists.txt).
add_library(torvi_convert STATIC
    ${TORVI_CORE_SOURCE_DIR}/convert/convert_options.h
    ${TORVI_CORE_SOURCE_DIR}/convert/delimited_reader.cpp
    ${TORVI_CORE_SOURCE_DIR}/convert/delimited_reader.h
    ${TORVI_CORE_SOURCE_DIR}/convert/html_text.h
    ${TORVI_CORE_SOURCE_DIR}/convert/kvtml_reader.h
    ${TORVI_CORE_SOURCE_DIR}/convert/quiz_export.h
    ${TORVI_CORE_SOURCE_DIR}/convert/quiz_import.cpp ${TORVI_CORE_SOURCE_DIR}/convert/quiz_import.h
    ${TORVI_CORE_SOURCE_DIR}/convert/quiz_record.cpp ${TORVI_CORE_SOURCE_DIR}/convert/quiz_record.h
    ${TORVI_CORE_SOURCE_DIR}/convert/quiz_writer.cpp ${TORVI_CORE_SOURCE_DIR}/convert/quiz_writer.h
    ${TORVI_CORE_SOURCE_DIR}/convert/text_decoding.cpp
    ${TORVI_CORE_SOURCE_DIR}/convert/text_decoding.h)
target_link_libraries(torvi_convert PUBLIC torvi_check PRIVATE torvi_warnings)

# The window logic, written against the window services interface.
add_library(torvi_ui STATIC
    ${TORVI_CORE_SOURCE_DIR}/ui/window_services.h ${TORVI_CORE_SOURCE_DIR}/ui/quiz_listener.h
    ${TORVI_CORE_SOURCE_DIR}/ui/lms_report.cpp ${TORVI_CORE_SOURCE_DIR}/ui/lms_report.h
    ${TORVI_CORE_SOURCE_DIR}/ui/torvi_dlg.cpp ${TORVI_CORE_SOURCE_DIR}/ui/torvi_dlg.h
    ${TORVI_CORE_SOURCE_DIR}/ui/torvi_dlg_auto_proxy.cpp ${TORVI_CORE_SOURCE_DIR}/ui/torvi_dlg_auto_proxy.h
    ${TORVI_CORE_SOURCE_DIR}/ui/page_composer.cpp ${TORVI_CORE_SOURCE_DIR}/ui/page_composer.h
    ${TORVI_CORE_SOURCE_DIR}/ui/program_paths.cpp ${TORVI_CORE_SOURCE_DIR}/ui/program_paths.h)
target_link_libraries(torvi_ui PUBLIC torvi_quiz torvi_sound torvi_convert PRIVATE torvi_warnings)
# An installed program finds its support files from its own folder: the way
# from the configured bin folder to the configured data folder, so a layout
# other than bin/ and share/ is found as well.
file(RELATIVE_PATH TORVI_SUPPORT_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
    ${CMAKE_INSTALL_FULL_DATADIR}/torvi)
target_compile_definitions(torvi_ui PRIVATE TORVI_SUPPORT_FROM_BIN="${TORVI_SUPPORT_FROM_BIN}")

