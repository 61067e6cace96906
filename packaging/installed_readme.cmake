# Writes the README for an installed system from README.md: its quick start (which builds from the
# sources) replaced by QUICK_START, the sections from "## Install" on (installing and building) left
# out, and the programs and the sample named where the packages put them.
# Usage: cmake -DREADME=... -DQUICK_START=... -DOUTPUT=... -P installed_readme.cmake
file(READ ${README} text)
file(READ ${QUICK_START} quick_start)
string(FIND "${text}" "## Quick start" begin)
string(FIND "${text}" "## The desktop application" middle)
string(FIND "${text}" "## Install" end)
if(begin EQUAL -1 OR middle LESS begin OR end LESS middle)
  message(FATAL_ERROR "${README}: expected the sections \"## Quick start\", \"## The desktop application\" "
                      "and \"## Install\" in that order")
endif()
string(SUBSTRING "${text}" 0 ${begin} head)
math(EXPR length "${end} - ${middle}")
string(SUBSTRING "${text}" ${middle} ${length} body)
string(REPLACE "build/app/quoteforge" "quoteforge" body "${body}")
string(REPLACE "build/cli/quoteforge-cli" "quoteforge-cli" body "${body}")
string(REPLACE "samples/prices.csv" "/usr/share/doc/quoteforge/examples/prices.csv" body "${body}")
file(WRITE ${OUTPUT} "${head}${quick_start}${body}")
