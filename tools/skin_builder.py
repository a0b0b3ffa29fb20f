"""The building blocks of the skin's Qt Designer files: widgets, properties, layouts and the
writer, shared by gen_skin_ui.py (the window and page frames) and the panel generators of
skin_panels/ (one module per panel, so panels are built and translated in files of their own).
"""
import os
import sys
from xml.sax.saxutils import escape

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from skin_texts import TEXTS  # noqa: E402

SKIN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "skin")

USED_KEYS = set()

# Classes of the program's own that the skin names, with the Qt class each behaves like.
CUSTOM = {
    "DeviceKeyButton": ("QPushButton", False),
    "SelectPanel": ("QWidget", True),
    "CircleProgress": ("QProgressBar", False),
    "DeviceOption": ("QWidget", True),
    "MpDevicePower": ("QWidget", True),
    "OrvaneKeyboardDevice": ("QWidget", True),
    "OrvaneMouseDevice": ("QWidget", True),
    "OrvaneMousePadDevice": ("QWidget", True),
    "OrvaneHS6533Device": ("QWidget", True),
}


class W:
    """One widget of a .ui file: class, object name, properties, children in a layout or placed."""

    def __init__(self, cls, name, layout=None, props=None, children=None, spacing=None,
                 margins=None, items=None, align=None):
        self.cls = cls
        self.name = name
        self.layout = layout  # "V", "H", "S" (stacked pages), or None (placed by geometry)
        self.props = props or []
        self.children = children or []
        self.spacing = spacing
        self.margins = margins
        self.items = items  # combo items (language keys)
        self.align = align  # alignment of the widget in its parent's layout


def key(k):
    if k not in TEXTS:
        raise SystemExit("no translation for the key %r" % k)
    USED_KEYS.add(k)
    return k


def p_text(k):
    return ("text", "string", key(k), True)


def p_str(name, value, std=True):
    return (name, "string", value, std)


def p_bool(name, value):
    return (name, "bool", "true" if value else "false", True)


def p_geom(x, y, w, h):
    return ("geometry", "rect", (x, y, w, h), True)


def p_fixed(w, h):
    return [("minimumSize", "size", (w, h), True), ("maximumSize", "size", (w, h), True)]


def p_dyn(name, value):
    return (name, "string", value, False)


def p_font(font_id):
    """A font of the main window's font table (the language switch applies it)."""
    return ("fontid", "number", font_id, False)


def p_centre():
    return ("alignment", "set", "Qt::AlignCenter", True)


def hidden():
    return p_bool("visible", False)


def spacer(name, horizontal):
    return ("spacer", name, horizontal)


_layout_counter = [0]


def render_prop(p, ind):
    name, kind, value, std = p
    attrs = '' if std else ' stdset="0"'
    out = ind + '<property name="%s"%s>' % (name, attrs)
    if kind == "string":
        out += "<string>%s</string>" % escape(value)
    elif kind == "bool":
        out += "<bool>%s</bool>" % value
    elif kind == "number":
        out += "<number>%d</number>" % value
    elif kind == "rect":
        out += "<rect><x>%d</x><y>%d</y><width>%d</width><height>%d</height></rect>" % value
    elif kind == "size":
        out += "<size><width>%d</width><height>%d</height></size>" % value
    elif kind == "enum":
        out += "<enum>%s</enum>" % value
    elif kind == "set":
        out += "<set>%s</set>" % value
    return out + "</property>\n"


def render(w, ind=" "):
    if isinstance(w, tuple):  # spacer
        _, name, horizontal = w
        orient = "Qt::Horizontal" if horizontal else "Qt::Vertical"
        return (ind + '<spacer name="%s">\n' % name + ind +
                ' <property name="orientation"><enum>%s</enum></property>\n' % orient + ind +
                ' <property name="sizeHint" stdset="0"><size><width>0</width><height>0</height>'
                '</size></property>\n' + ind + '</spacer>\n')
    out = ind + '<widget class="%s" name="%s">\n' % (w.cls, w.name)
    for p in w.props:
        out += render_prop(p, ind + " ")
    for i, item in enumerate(w.items or []):
        out += ind + ' <item><property name="text"><string>%s</string></property></item>\n' % (
            escape(key(item)))
    if w.layout in ("V", "H"):
        _layout_counter[0] += 1
        cls = "QVBoxLayout" if w.layout == "V" else "QHBoxLayout"
        out += ind + ' <layout class="%s" name="%s_layout%d">\n' % (cls, w.name, _layout_counter[0])
        m = w.margins if w.margins is not None else (0, 0, 0, 0)
        for side, v in zip(("leftMargin", "topMargin", "rightMargin", "bottomMargin"), m):
            out += ind + '  <property name="%s"><number>%d</number></property>\n' % (side, v)
        out += ind + '  <property name="spacing"><number>%d</number></property>\n' % (
            w.spacing if w.spacing is not None else 0)
        for c in w.children:
            align = getattr(c, "align", None)
            item = '<item alignment="%s">' % align if align else "<item>"
            out += ind + "  " + item + "\n" + render(c, ind + "   ") + ind + "  </item>\n"
        out += ind + " </layout>\n"
    else:  # stacked pages or placed children
        for c in w.children:
            out += render(c, ind + " ")
    return out + ind + "</widget>\n"


def classes_in(w, found):
    if isinstance(w, tuple):
        return
    if w.cls in CUSTOM:
        found.add(w.cls)
    for c in w.children:
        classes_in(c, found)


def write_ui(rel, root):
    _layout_counter[0] = 0
    found = set()
    classes_in(root, found)
    out = '<?xml version="1.0" encoding="UTF-8"?>\n<ui version="4.0">\n <class>%s</class>\n' % root.name
    out += render(root)
    if found:
        out += " <customwidgets>\n"
        for cls in sorted(found):
            base, container = CUSTOM[cls]
            out += "  <customwidget>\n   <class>%s</class>\n   <extends>%s</extends>\n" % (cls, base)
            out += "   <header>%s</header>\n" % cls.lower()
            if container:
                out += "   <container>1</container>\n"
            out += "  </customwidget>\n"
        out += " </customwidgets>\n"
    out += " <resources/>\n <connections/>\n</ui>\n"
    path = os.path.join(SKIN, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(out)


# ---------------------------------------------------------------------------------------------
# Small builders


def label(name, k=None, props=None):
    return W("QLabel", name, props=([p_text(k)] if k else []) + (props or []))


def button(name, k=None, props=None, tip=None):
    ps = ([p_text(k)] if k else []) + (props or [])
    if tip:
        ps.append(("toolTip", "string", key(tip), True))
    return W("QPushButton", name, props=ps)


def option(name, group, k=None, checked=False, props=None):
    ps = ([p_text(k)] if k else []) + [p_bool("checkable", True), p_dyn("group", group)]
    if checked:
        ps.append(p_bool("checked", True))
    return W("QPushButton", name, props=ps + (props or []))


def box(cls, name, orient, children, props=None, spacing=0, margins=None):
    return W(cls, name, layout=orient, children=children, props=props or [], spacing=spacing,
             margins=margins)


def empty_panel(name, props=None):
    """A named container that a later panel fills; it carries a layout so children can be added."""
    return W("QWidget", name, layout="V", props=props or [])


def stacked(name, pages, props=None):
    return W("QStackedWidget", name, layout="S", children=pages, props=props or [])


def page(name, children=None, orient="V", props=None):
    return W("QWidget", name, layout=orient, children=children or [], props=props or [])


# ---------------------------------------------------------------------------------------------
# main.ui
