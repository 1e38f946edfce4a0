# SPDX-License-Identifier: MIT
# The fuzz targets. Each NAME has its source NAME.cpp here, its seeds in
# corpus/NAME (made by make_corpus.py) and its replayed findings in
# regressions/NAME. Adding a target is its source file and its name below.
set(TREMORLINE_FUZZ_TARGETS
    sac_path
    play_rate
    mseed_path
)
