# Fuzz targets of the SysEx decoders, the parsers of everything the keyboard sends.
th_add_fuzzer(fuzz_sysex_ips SOURCES sysex_ips_fuzzer.cpp LIBS sysex)
th_add_fuzzer(fuzz_sysex_ips_request SOURCES sysex_ips_request_fuzzer.cpp LIBS sysex)
th_add_fuzzer(fuzz_sysex_hbs SOURCES sysex_hbs_fuzzer.cpp LIBS sysex)
th_add_seed_generator(make_sysex_seeds SOURCES seeds/make_sysex_seeds.cpp LIBS sysex)
