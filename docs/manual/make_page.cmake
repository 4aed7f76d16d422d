# Turns one Markdown page of the manual into a whole HTML page:
#   cmake -DCMARK=... -DSOURCE=page.md -DOUTPUT=page.html -DSTYLE=manual.css -P make_page.cmake
execute_process(COMMAND ${CMARK} --to html ${SOURCE}
    OUTPUT_VARIABLE body RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cmark could not read ${SOURCE}")
endif()
# The page's title is its first heading.
file(STRINGS ${SOURCE} heading LIMIT_COUNT 1 REGEX "^# ")
string(REGEX REPLACE "^# " "" title "${heading}")
file(READ ${STYLE} style)
file(WRITE ${OUTPUT} "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<title>${title} - Torvi</title>
<style>
${style}</style>
</head>
<body>
${body}</body>
</html>
")
