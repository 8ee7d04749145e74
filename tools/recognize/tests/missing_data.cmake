# Stands in for a test whose installation data is missing, and fails it.
#   cmake -DMISSING="what is missing and how to get it" -P missing_data.cmake
message(FATAL_ERROR "installation data missing: ${MISSING}")
