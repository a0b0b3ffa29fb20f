// Builds control trees from the skin's Qt Designer files. Every class a file names is made by,
// in order: the window's CreateControl callback, the control factory, Qt's own widgets.
#pragma once

#include <QString>
#include <QUiLoader>
#include <functional>

class QWidget;

namespace qx::ui {

class SkinLoader : public QUiLoader {
  public:
    // The window's own skin tags: a control, or nullptr to fall through to the factory.
    using CreateControlCallback =
        std::function<QWidget*(const QString& className, QWidget* parent)>;

    explicit SkinLoader(CreateControlCallback createControl = {}, QObject* parent = nullptr);

    // The skin folder: ProgramDataFolder()/skin/ (QX580_DATA_DIR honoured).
    static QString SkinFolder();

    // Builds the tree of a skin file (path relative to SkinFolder(), e.g. "main.ui" or
    // "XML/DeviceXml/keyboarddevice.ui") under `parent`. nullptr (with LastError()) when the
    // file is missing or malformed. Texts of the tree that are language keys are translated.
    QWidget* Build(const QString& relativePath, QWidget* parent = nullptr);
    // Builds a skin file as the whole content of a window: the tree fills the window, without
    // margins. nullptr (with LastError()) as for Build.
    QWidget* BuildWindowContent(const QString& relativePath, QWidget* window);
    QString LastError() const { return lastError_; }

    QWidget* createWidget(const QString& className, QWidget* parent = nullptr,
                          const QString& name = QString()) override;

  private:
    CreateControlCallback createControl_;
    QString lastError_;
};

}  // namespace qx::ui
