// placeholder, replaced by the caption applier
