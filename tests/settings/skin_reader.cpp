#include "skin_reader.h"

#include <QFile>
#include <QXmlStreamReader>

namespace qx::testing {

std::vector<int> SkinFile::Named(const QString& name) const {
    std::vector<int> out;
    for (size_t i = 0; i < widgets.size(); ++i) {
        if (widgets[i].name == name) out.push_back(static_cast<int>(i));
    }
    return out;
}

std::vector<int> SkinFile::ChildrenOf(int index) const {
    std::vector<int> out;
    for (size_t i = 0; i < widgets.size(); ++i) {
        if (widgets[i].parent == index) out.push_back(static_cast<int>(i));
    }
    return out;
}

namespace {

int ReadInt(QXmlStreamReader& xml) { return xml.readElementText().toInt(); }

QRect ReadRect(QXmlStreamReader& xml) {
    int x = 0, y = 0, w = 0, h = 0;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"x")
            x = ReadInt(xml);
        else if (xml.name() == u"y")
            y = ReadInt(xml);
        else if (xml.name() == u"width")
            w = ReadInt(xml);
        else if (xml.name() == u"height")
            h = ReadInt(xml);
        else
            xml.skipCurrentElement();
    }
    return {x, y, w, h};
}

// Reads one <property> into the widget, or into `itemText` for a combo item.
void ReadProperty(QXmlStreamReader& xml, SkinWidget* widget, QString* itemText) {
    const QString name = xml.attributes().value("name").toString();
    while (xml.readNextStartElement()) {
        if (xml.name() == u"string") {
            const QString value = xml.readElementText();
            if (itemText != nullptr)
                *itemText = value;
            else if (widget != nullptr)
                widget->strings.insert(name, value);
        } else if (xml.name() == u"bool") {
            const bool value = xml.readElementText() == u"true";
            if (widget != nullptr && itemText == nullptr) widget->bools.insert(name, value);
        } else if (xml.name() == u"rect") {
            const QRect rect = ReadRect(xml);
            if (widget != nullptr && name == u"geometry") widget->geometry = rect;
        } else {
            xml.skipCurrentElement();
        }
    }
}

void ReadWidget(QXmlStreamReader& xml, SkinFile& file, int parent);

void ReadChildren(QXmlStreamReader& xml, SkinFile& file, int self) {
    while (xml.readNextStartElement()) {
        if (xml.name() == u"widget") {
            ReadWidget(xml, file, self);
        } else if (xml.name() == u"property") {
            ReadProperty(xml, self >= 0 ? &file.widgets[static_cast<size_t>(self)] : nullptr,
                         nullptr);
        } else if (xml.name() == u"item" && self >= 0) {
            // combo item, or a layout item holding a widget
            while (xml.readNextStartElement()) {
                if (xml.name() == u"widget") {
                    ReadWidget(xml, file, self);
                } else if (xml.name() == u"property") {
                    QString text;
                    ReadProperty(xml, nullptr, &text);
                    file.widgets[static_cast<size_t>(self)].items << text;
                } else if (xml.name() == u"layout") {
                    ReadChildren(xml, file, self);
                } else {
                    xml.skipCurrentElement();
                }
            }
        } else if (xml.name() == u"layout") {
            ReadChildren(xml, file, self);  // a layout's items belong to the widget
        } else {
            xml.skipCurrentElement();
        }
    }
}

void ReadWidget(QXmlStreamReader& xml, SkinFile& file, int parent) {
    SkinWidget widget;
    widget.cls = xml.attributes().value("class").toString();
    widget.name = xml.attributes().value("name").toString();
    widget.parent = parent;
    file.widgets.push_back(widget);
    ReadChildren(xml, file, static_cast<int>(file.widgets.size()) - 1);
}

}  // namespace

SkinFile ReadSkinFile(const QString& path) {
    SkinFile file;
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        file.error = "cannot open " + path;
        return file;
    }
    QXmlStreamReader xml(&in);
    if (xml.readNextStartElement() && xml.name() == u"ui") {
        while (xml.readNextStartElement()) {
            if (xml.name() == u"widget")
                ReadWidget(xml, file, -1);
            else
                xml.skipCurrentElement();
        }
    } else {
        file.error = "not a Designer file: " + path;
    }
    if (xml.hasError()) file.error = path + ": " + xml.errorString();
    return file;
}

}  // namespace qx::testing
