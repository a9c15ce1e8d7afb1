"""Counts the test cases of one build from GoogleTest's XML reports.

A test executable that ctest ran but that left no report (it crashed, or a sanitizer stopped it)
counts as one failure, so a crash can never pass for success.
Prints "PASSED FAILED".
"""
import pathlib
import re
import sys
import xml.etree.ElementTree as ElementTree

build = pathlib.Path(sys.argv[1])
results = build / "test-results"
passed = failed = 0
reported = set()
for report in sorted(results.glob("*.xml")):
    reported.add(report.stem)
    try:
        root = ElementTree.parse(report).getroot()
    except ElementTree.ParseError:
        failed += 1
        continue
    for case in root.iter("testcase"):
        if case.get("result") == "skipped" or case.get("status") == "notrun":
            continue
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        else:
            passed += 1

# Every test ctest knows of must have left a report.
names = set()
for ctest_file in build.rglob("CTestTestfile.cmake"):
    names.update(re.findall(r'add_test\(\[=\[([^\]]+)\]=\]', ctest_file.read_text()))
    names.update(re.findall(r'add_test\(([A-Za-z0-9_]+) ', ctest_file.read_text()))
failed += len(names - reported)
print(passed, failed)
