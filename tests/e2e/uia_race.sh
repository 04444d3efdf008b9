# shellcheck shell=bash
# The one line an end-to-end script writes when a UI Automation walk of Kestro's window got no
# answer in time. Under this Wine a walk can meet a race in its COM, after which the window's
# UI Automation side answers no client for the rest of that run of Kestro. The test command
# runs a script that walks the tree (ctest label "uia") once more when its first run failed and
# wrote this line; no other failure is ever run again.
uia_no_answer_signature="UIA-NO-ANSWER: the UI Automation walk got no answer in time"
