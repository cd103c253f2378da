# Prepares one layout of the skin folder for uic (run with cmake -P):
#   -DLAYOUT=res/main.xml -DNAME=main -DOUT_UI=.../main.ui -DOUT_HEADER=.../built_in_main.h
# OUT_UI is the layout without its images, for uic: the images come from the skin folder when the
# window is built, as the run-time loader takes them. OUT_HEADER holds the layout's SHA-256 (the
# fast path is taken only for a byte-identical file), the image of each widget and a function that
# builds the tree with the code uic generated.
file(READ ${LAYOUT} xml)
file(SHA256 ${LAYOUT} sha256)

string(REGEX MATCH "<widget class=\"([A-Za-z_:]+)\"" root "${xml}")
set(root_class ${CMAKE_MATCH_1})
string(REGEX MATCH "<class>([A-Za-z_]+)</class>" form "${xml}")
set(form_class ${CMAKE_MATCH_1})
if(NOT root_class OR NOT form_class)
    message(FATAL_ERROR "${LAYOUT}: no root widget or form class")
endif()
if(xml MATCHES "<customwidget>")
    message(FATAL_ERROR "${LAYOUT}: custom widgets are built by the run-time loader only")
endif()

# The widget each "icon" or "pixmap" property belongs to: the innermost open <widget>.
set(ws "[ \t\r\n]*")
set(image_property "<property name=\"(icon|pixmap)\">${ws}(<iconset>${ws}<normaloff>|<pixmap>)[^<]*")
string(REGEX MATCHALL "<widget [^>]*name=\"[^\"]*\"[^>]*>|</widget>|${image_property}" tokens "${xml}")
set(open)
set(images "")
foreach(token IN LISTS tokens)
    if(token STREQUAL "</widget>")
        list(POP_BACK open)
    elseif(token MATCHES "^<widget [^>]*name=\"([^\"]*)\"")
        list(APPEND open ${CMAKE_MATCH_1})
    elseif(token MATCHES ">([^<>]*)$")
        string(STRIP "${CMAKE_MATCH_1}" image)
        list(GET open -1 widget)
        if(NOT image STREQUAL "")
            string(APPEND images "    {\"${widget}\", \"${image}\"},\n")
        endif()
    endif()
endforeach()

# uic sees no image: an image property is dropped whole.
string(REGEX REPLACE "<property name=\"(icon|pixmap)\">([^<]|<[^/]|</[^p]|</p[^r])*</property>" ""
       stripped "${xml}")
file(WRITE ${OUT_UI}.new "${stripped}")
file(COPY_FILE ${OUT_UI}.new ${OUT_UI} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT_UI}.new)

if("${images}" STREQUAL "")
    set(images "    {nullptr, nullptr},\n")
endif()
file(WRITE ${OUT_HEADER}.new "// Generated from ${LAYOUT} by cmake/built_in_layout.cmake.
#pragma once

#include \"ui/layout_loader_built_in.h\"
#include \"ui_${NAME}.h\"

namespace built_in_${NAME} {

inline constexpr char kSha256[] = \"${sha256}\";
inline constexpr BuiltInImage kImages[] = {
${images}};

inline QWidget* Build() {
    auto* root = new ${root_class};
    Ui_${form_class}().setupUi(root);
    return root;
}

}  // namespace built_in_${NAME}
")
file(COPY_FILE ${OUT_HEADER}.new ${OUT_HEADER} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT_HEADER}.new)
