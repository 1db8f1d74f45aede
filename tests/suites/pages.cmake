# The wizard host and its pages: page windows under Wine, the working directory's removal,
# and the first and last pages end to end.
kelvara_e2e_test(e2e_pages test_pages.py)
