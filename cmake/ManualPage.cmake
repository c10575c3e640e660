# Wraps one page of the manual (the text of its <main>) into a whole HTML page
# with its title and the navigation bar listed in contents.txt.
#
#   cmake -DCONTENTS=<contents.txt> -DPAGE=<page.html> -DOUT=<out.html> -P ManualPage.cmake

file(STRINGS ${CONTENTS} entries REGEX "^[^#]")
get_filename_component(page_name ${PAGE} NAME)
set(nav "")
set(title "")
foreach(entry ${entries})
  string(REGEX MATCH "^([^ ]+) (.+)$" _ "${entry}")
  set(name ${CMAKE_MATCH_1})
  set(caption "${CMAKE_MATCH_2}")
  if(name STREQUAL page_name)
    set(title "${caption}")
  endif()
  if(name STREQUAL "index.html")
    set(caption "Contents")
  endif()
  string(APPEND nav "  <a href=\"${name}\">${caption}</a>\n")
endforeach()
if(title STREQUAL "")
  message(FATAL_ERROR "${page_name} is not listed in ${CONTENTS}")
endif()
set(head_title "${title}")
if(NOT page_name STREQUAL "index.html")
  set(head_title "${title} - Tabulon manual")
endif()

file(READ ${PAGE} body)
file(WRITE ${OUT} "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<title>${head_title}</title>
<link rel=\"stylesheet\" href=\"style.css\">
</head>
<body>
<nav>
${nav}</nav>
<main>
<h1>${title}</h1>
${body}</main>
</body>
</html>
")
