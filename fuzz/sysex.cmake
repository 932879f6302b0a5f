# Fuzz targets of the SysEx decoders, the parsers of everything the keyboard sends.
#
# The targets link their own copy of the codec built with coverage instrumentation,
# so the fuzzer sees into the decoders; the shared sysex library stays plain for
# the other executables of this build.
get_target_property(_sysex_dir sysex SOURCE_DIR)
get_target_property(_sysex_sources sysex SOURCES)
list(TRANSFORM _sysex_sources PREPEND "${_sysex_dir}/")
add_library(sysex_fuzz_codec STATIC ${_sysex_sources})
target_include_directories(sysex_fuzz_codec PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(sysex_fuzz_codec PUBLIC Qt6::Core ZLIB::ZLIB)
target_compile_options(sysex_fuzz_codec PRIVATE -fsanitize=fuzzer-no-link,address,undefined)

th_add_fuzzer(fuzz_sysex_ips SOURCES sysex_ips_fuzzer.cpp LIBS sysex_fuzz_codec)
th_add_fuzzer(fuzz_sysex_ips_request SOURCES sysex_ips_request_fuzzer.cpp LIBS sysex_fuzz_codec)
th_add_fuzzer(fuzz_sysex_hbs SOURCES sysex_hbs_fuzzer.cpp LIBS sysex_fuzz_codec)

# Seed corpora of valid messages, one folder per target (see run-smoke.sh):
#   fuzz/make_sysex_seeds OUTPUT_DIR
add_executable(make_sysex_seeds seeds/make_sysex_seeds.cpp)
target_link_libraries(make_sysex_seeds PRIVATE sysex)

# Nothing here needs moc; without it no <target>_autogen folders sit next to the
# fuzz executables where the smoke run looks for targets.
set_target_properties(sysex_fuzz_codec fuzz_sysex_ips fuzz_sysex_ips_request fuzz_sysex_hbs
    make_sysex_seeds PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
