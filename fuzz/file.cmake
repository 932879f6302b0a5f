# Fuzz targets of the data-file readers: every file the user opens and every
# item taken from a package passes through them.
th_add_fuzzer(fuzz_file_common SOURCES file_common_fuzzer.cpp LIBS file)
th_add_fuzzer(fuzz_file_rhythm SOURCES file_rhythm_fuzzer.cpp LIBS file)
th_add_fuzzer(fuzz_file_music_preset SOURCES file_music_preset_fuzzer.cpp LIBS file)
th_add_fuzzer(fuzz_file_all_data SOURCES file_all_data_fuzzer.cpp LIBS file)
th_add_fuzzer(fuzz_file_open_data SOURCES file_open_data_fuzzer.cpp LIBS file)
th_add_seed_generator(make_file_seeds SOURCES seeds/make_file_seeds.cpp LIBS file)
