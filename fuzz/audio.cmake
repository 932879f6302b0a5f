# Fuzz targets of the audio parsers: the WAV header reader (every WAV file the
# user imports), the conversions behind it, and the SD card's control file
# (written by the keyboard too).
th_add_fuzzer(fuzz_audio_wave_header SOURCES audio_wave_header_fuzzer.cpp LIBS audio)
th_add_fuzzer(fuzz_audio_conversions SOURCES audio_conversions_fuzzer.cpp LIBS audio)
th_add_fuzzer(fuzz_card_audio_control SOURCES card_audio_control_fuzzer.cpp LIBS file)
th_add_seed_generator(make_audio_seeds SOURCES seeds/make_audio_seeds.cpp LIBS audio file)
