# Fuzz targets of the package readers: ".cpk" lists, the package index and
# whole package archives come from wherever the user found them.
th_add_fuzzer(fuzz_package_cpk SOURCES package_cpk_fuzzer.cpp LIBS data)
th_add_fuzzer(fuzz_package_index SOURCES package_index_fuzzer.cpp LIBS file)
th_add_fuzzer(fuzz_package_archive SOURCES package_archive_fuzzer.cpp LIBS file)
th_add_seed_generator(make_package_seeds SOURCES seeds/make_package_seeds.cpp LIBS file)
