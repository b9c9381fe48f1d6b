#!/usr/bin/env bash
# Every program and Python module that test.sh and the test scripts use comes
# from a Debian package that `tools/install_deps.sh test` installs (or that every
# Debian system has), and Debian's modules are imported by /usr/bin/python3.
exec /usr/bin/python3 "${ELD_SOURCE_DIR:?}/tools/check_test_deps.py"
