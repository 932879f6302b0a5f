# Fuzz targets of the data-file readers: every file the user opens and every
# item taken from a package passes through them.
#
# The targets link their own copy of the file layer built with coverage
# instrumentation, so the fuzzer sees into the parsers; the shared file
# library stays plain for the other executables of this build.
# (file/CMakeLists.txt lists its sources with absolute paths.)
get_target_property(_file_sources file SOURCES)
list(FILTER _file_sources INCLUDE REGEX "\\.(cpp|h)$")
add_library(file_fuzz_layer STATIC ${_file_sources})
target_include_directories(file_fuzz_layer PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(file_fuzz_layer PUBLIC data Qt6::Core)
target_compile_options(file_fuzz_layer PRIVATE -fsanitize=fuzzer-no-link,address,undefined)

th_add_fuzzer(fuzz_file_common SOURCES file_common_fuzzer.cpp LIBS file_fuzz_layer)
th_add_fuzzer(fuzz_file_rhythm SOURCES file_rhythm_fuzzer.cpp LIBS file_fuzz_layer)
th_add_fuzzer(fuzz_file_music_preset SOURCES file_music_preset_fuzzer.cpp LIBS file_fuzz_layer)
th_add_fuzzer(fuzz_file_all_data SOURCES file_all_data_fuzzer.cpp LIBS file_fuzz_layer)
th_add_fuzzer(fuzz_file_open_data SOURCES file_open_data_fuzzer.cpp LIBS file_fuzz_layer)

# Seed corpora of valid files, one folder per target (see run-smoke.sh):
#   fuzz/make_file_seeds OUTPUT_DIR
add_executable(make_file_seeds seeds/make_file_seeds.cpp)
target_link_libraries(make_file_seeds PRIVATE file)

# Nothing here needs moc; without it no <target>_autogen folders sit next to the
# fuzz executables where the smoke run looks for targets.
set_target_properties(file_fuzz_layer fuzz_file_common fuzz_file_rhythm fuzz_file_music_preset
    fuzz_file_all_data fuzz_file_open_data make_file_seeds
    PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
