# Renames the section headings help2man writes in English in a Chinese manual page, and
# has groff break lines the Chinese way (a line of Chinese holds no spaces to break at).
# help2man finds no usage line in a Chinese --help, so the page's synopsis comes from its
# include file and the usage line is taken out of the description.
# cmake -DPAGE=<page.1> -P chinese_headings.cmake
file(READ ${PAGE} page)
string(REGEX REPLACE "(\n[.]TH [^\n]*\n)" "\\1.if \\\\n[.g] .mso zh.tmac\n" page "${page}")
string(REGEX REPLACE "\n用法: [^\n]*\n" "\n" page "${page}")
foreach(pair "NAME|名稱" "SYNOPSIS|概要" "DESCRIPTION|說明" "OPTIONS|選項" "ENVIRONMENT|環境變數" "FILES|檔案"
             "EXAMPLES|範例" "AUTHOR|作者" "\"REPORTING BUGS\"|回報問題" "COPYRIGHT|版權" "\"SEE ALSO\"|參見")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 english)
  list(GET pair 1 chinese)
  string(REGEX REPLACE "\n[.]SH ${english}\n" "\n.SH ${chinese}\n" page "${page}")
endforeach()
file(WRITE ${PAGE} "${page}")
