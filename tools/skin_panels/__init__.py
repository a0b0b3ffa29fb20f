"""The panels of the device pages, one module per panel. A module names the container it fills
(PANEL), gives the texts of its language keys (TEXTS) and builds its widget tree (build(family),
None for a family without that panel); it may write files of its own (write_files(), for the
popups a panel opens). Modules are found by listing this folder, so adding a panel touches no
shared file."""
import importlib
import os
import pkgutil

_HERE = os.path.dirname(os.path.abspath(__file__))
MODULES = [importlib.import_module(__name__ + "." + info.name)
           for info in sorted(pkgutil.iter_modules([_HERE]), key=lambda i: i.name)]


def build(panel, family):
    for module in MODULES:
        if getattr(module, "PANEL", None) == panel:
            return module.build(family)
    return None


def write_files():
    for module in MODULES:
        if hasattr(module, "write_files"):
            module.write_files()
