# Turns the user guide (Markdown) into one HTML page with cmark:
#   cmake -DCMARK=... -DINPUT=kezikonyv.md -DOUTPUT=kezikonyv.html -P BuildManual.cmake
execute_process(COMMAND "${CMARK}" --to html "${INPUT}" OUTPUT_VARIABLE body RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cmark could not convert ${INPUT}")
endif()
file(WRITE "${OUTPUT}.tmp" "<!DOCTYPE html>
<html lang=\"hu\">
<head>
<meta charset=\"utf-8\">
<title>Norla – Kézikönyv</title>
<style>
body { font-family: sans-serif; max-width: 52em; margin: 2em auto; padding: 0 1em; line-height: 1.5; }
img { max-width: 100%; border: 1px solid #bbb; }
code { background: #f2f2f2; padding: 0 .2em; }
pre { background: #f2f2f2; padding: .5em; overflow-x: auto; }
</style>
</head>
<body>
${body}</body>
</html>
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
