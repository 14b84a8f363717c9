# cmake -DPAGE=in.1 -DFORMATS=formats.roff -DOUT=out.1 -P splice.cmake: puts the generated list
# of record formats in the place the page marks for it.
file(READ ${PAGE} page)
file(READ ${FORMATS} formats)
string(REPLACE "@RECORD_FORMATS@\n" "${formats}" page "${page}")
file(WRITE ${OUT} "${page}")
