// Reads a skin's Designer file as data (classes, names, parents, properties) for checks that
// need no widgets.
#pragma once

#include <QHash>
#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

namespace qx::testing {

struct SkinWidget {
    QString cls;
    QString name;
    int parent = -1;                  // index in SkinFile::widgets, -1 for the root
    QHash<QString, QString> strings;  // string properties (standard and dynamic)
    QHash<QString, bool> bools;
    QRect geometry;
    QStringList items;  // combo items
};

struct SkinFile {
    std::vector<SkinWidget> widgets;
    QString error;  // empty when the file was read
    std::vector<int> Named(const QString& name) const;
    std::vector<int> ChildrenOf(int index) const;
};

SkinFile ReadSkinFile(const QString& path);

}  // namespace qx::testing
