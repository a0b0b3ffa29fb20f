"""Every language key's texts: the window's own (gen_skin_texts.py) and each panel's
(skin_panels/*.py, which import the builder, so their texts are read from the module source
without importing it: a panel's texts must not depend on building the skin)."""
import ast
import os

from gen_skin_texts import TEXTS as _WINDOW_TEXTS

_PANELS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "skin_panels")


def _panel_texts():
    joined = {}
    for name in sorted(os.listdir(_PANELS)):
        if not name.endswith(".py") or name.startswith("_"):
            continue
        tree = ast.parse(open(os.path.join(_PANELS, name), encoding="utf-8").read())
        for node in tree.body:
            if isinstance(node, ast.Assign) and any(
                    isinstance(t, ast.Name) and t.id == "TEXTS" for t in node.targets):
                for k, v in ast.literal_eval(node.value).items():
                    if k in joined and joined[k] != v:
                        raise SystemExit("language key %s has two texts (%s)" % (k, name))
                    joined[k] = v
    return joined


TEXTS = dict(_WINDOW_TEXTS)
for _k, _v in _panel_texts().items():
    if _k in TEXTS and TEXTS[_k] != _v:
        raise SystemExit("language key %s has two texts" % _k)
    TEXTS[_k] = _v
