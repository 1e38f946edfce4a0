#!/bin/bash
# SPDX-License-Identifier: MIT
# Checks that the folder of real SAC files written by other programs holds
# every file the tests read. Where the folder is absent the tests on those
# files are left out of the run, and this test says so as a skip (exit 77).
#
#   real_sac_files.sh FOLDER
set -u

folder=$1
if [ ! -e "$folder/test.sac" ]; then
    echo "SKIP: the real SAC files are not in $folder; the tests on them are not run."
    echo "Set TREMORLINE_TESTDATA_DIR to their folder to run them."
    exit 77
fi

status=0
for name in test.sac test.sac.swap LMOW.BHE.SAC CRLZ.HHZ.10.NZ.SAC seism.sac testxy.sac \
    null_terminated.sac; do
    if [ ! -r "$folder/$name" ]; then
        echo "missing or unreadable: $folder/$name"
        status=1
    fi
done
exit $status
